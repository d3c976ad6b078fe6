#!/usr/bin/env bash
# Compares gif_bench with giflib and gifsicle on the same generated file.
#   bench/gif_bench.sh <build folder> [work folder] [frames] [repeats]
# Builds a small native program on the distribution's giflib (installing
# libgif-dev and gifsicle when missing), runs gif_bench.exe under Wine, the
# giflib program and `gifsicle -O0 in -o out`, and prints the ratios
# (ours / theirs: below 1 is faster).
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
sicle=()
for _ in $(seq "$repeats"); do
  t0=$(date +%s.%N)
  gifsicle -O0 "$work/bench.gif" -o "$work/gifsicle_out.gif"
  t1=$(date +%s.%N)
  sicle+=("$(echo "$t1 - $t0" | bc -l)")
done
gifsicle_median=$(printf '%s\n' "${sicle[@]}" | sort -g | sed -n "$(( (repeats + 1) / 2 ))p")

value() { echo "$1" | awk -v k="$2" '$1 == k { print $2 }'; }
printf '%-22s %10s %10s %8s %s\n' measure ours giflib ratio target
row() {  # name ours theirs target
  printf '%-22s %10.4f %10.4f %8.2f %s\n' "$1" "$2" "$3" "$(echo "$2 / $3" | bc -l)" "$4"
}
row "open (file)" "$(value "$ours" open)" "$(value "$theirs" open)" "<= 1.0"
row "decode (memory)" "$(value "$ours" decode)" "$(value "$theirs" decode)" "<= 0.71 (1.4x speed)"
row "LZW encode (memory)" "$(value "$ours" encode)" "$(value "$theirs" encode)" "<= 0.8"
row "save (file)" "$(value "$ours" save)" "$(value "$theirs" save)" ""
printf '%-22s %10s %10s %8s %s\n' "" ours gifsicle ratio target
row "open+save vs -O0" "$(value "$ours" open+save)" "$gifsicle_median" "< 1.0"
echo "$ours" | tail -n1
