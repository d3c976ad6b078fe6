#!/usr/bin/env bash
# Compares gif_bench with giflib and gifsicle on the same generated file.
#   bench/gif_bench.sh <build folder> [work folder] [frames] [repeats]
# Builds a small native program on the distribution's giflib (installing
# libgif-dev and gifsicle when missing), runs gif_bench.exe under Wine, the
# giflib program and `gifsicle -O0 in -o out`, and prints the ratios
# (ours / theirs: below 1 is faster) of the best CPU times (user + system),
# then of the best wall times. CPU time is what to compare on a loaded machine.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:?build folder (the one ./test prints)}"
work="${2:-$(mktemp -d)}"
frames="${3:-50}"
repeats="${4:-5}"
mkdir -p "$work"

need=()
dpkg -s libgif-dev >/dev/null 2>&1 || need+=(libgif-dev)
command -v gifsicle >/dev/null || need+=(gifsicle)
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get install -y "${need[@]}" >/dev/null
fi
gcc -O2 -std=c99 -D_POSIX_C_SOURCE=199309L -o "$work/giflib_bench" "$here/giflib_bench.c" -lgif

exe="$(find "$build" -name gif_bench.exe | head -n1)"
[ -n "$exe" ] || { echo "gif_bench.exe not found under $build" >&2; exit 1; }
export WINEDEBUG=-all
ours="$(wine "$exe" "Z:$work" "$frames" "$repeats" </dev/null 2>&1 | tr -d '\r')"
echo "$ours" | head -n1
theirs="$("$work/giflib_bench" "$work/bench.gif" "$work/giflib_out.gif" "$repeats")"

# gifsicle -O0, and our open+save measured inside the process (Wine's start is not counted).
sicle_cpu=1e30
sicle_wall=1e30
for _ in $(seq "$repeats"); do
  read -r wall user sys < <(/usr/bin/time -f '%e %U %S' gifsicle -O0 "$work/bench.gif" -o "$work/gifsicle_out.gif" 2>&1 >/dev/null | tail -n1)
  sicle_cpu=$(awk -v a="$user" -v b="$sys" -v best="$sicle_cpu" 'BEGIN { c = a + b; print (c < best ? c : best) }')
  sicle_wall=$(awk -v w="$wall" -v best="$sicle_wall" 'BEGIN { print (w < best ? w : best) }')
done

value() { echo "$1" | awk -v k="$2" -v f="$3" '$1 == k { print $f }'; }
row() {  # name ours theirs target
  printf '%-22s %10.4f %10.4f %8.2f %s\n' "$1" "$2" "$3" "$(echo "$2 / $3" | bc -l)" "$4"
}
for kind in cpu wall; do
  f=2; [ "$kind" = wall ] && f=3
  echo
  printf '%-22s %10s %10s %8s %s\n' "$kind time (best)" ours giflib ratio target
  row "open (file)" "$(value "$ours" open $f)" "$(value "$theirs" open $f)" "<= 1.0"
  row "decode (memory)" "$(value "$ours" decode $f)" "$(value "$theirs" decode $f)" "<= 0.71 (1.4x speed)"
  row "LZW encode (memory)" "$(value "$ours" encode $f)" "$(value "$theirs" encode $f)" "<= 0.8"
  row "  into a reused block" "$(value "$ours" encode-reused $f)" "$(value "$theirs" encode-reused $f)" "<= 0.8"
  row "save (file)" "$(value "$ours" save $f)" "$(value "$theirs" save $f)" ""
  sicle=$sicle_cpu; [ "$kind" = wall ] && sicle=$sicle_wall
  printf '%-22s %10s %10s %8s %s\n' "" ours gifsicle ratio target
  row "open+save vs -O0" "$(value "$ours" open+save $f)" "$sicle" "< 1.0"
done
echo "$ours" | tail -n1
echo
