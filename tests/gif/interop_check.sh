#!/bin/sh
# interop_check.sh TEST_EXE CORPUS_DIR OUT_DIR [EMULATOR]
# Has the test executable write every corpus file again (LZW and run-length),
# then checks with gifsicle that each copy parses, and with ImageMagick that
# every frame of each copy has the pixels of the same frame of the original.
set -eu
exe=$1 corpus=$2 out=$3 emu=${4:-}
IM=/usr/bin/convert-im6.q16
ID=/usr/bin/identify-im6.q16
# The system interpreter: a version manager's shim in PATH can take seconds per start.
PY=/usr/bin/python3
[ -x "$PY" ] || PY=python3
rm -rf "$out"
mkdir -p "$out"
GIF_INTEROP_DIR="Z:$out" $emu "$exe" --gtest_filter=Interop.* >"$out/run.log" 2>&1 || { cat "$out/run.log"; exit 1; }
# Transparent pixels come out black from ImageMagick; compare colours with the
# transparency flags cleared (gifpatch.py only edits block bytes).
# All frames of a file at once: their geometry, and their pixels one after the other.
dump() { $ID -format '%w %h %X %Y\n' "$1" >"$2.txt"; $IM "$1" +repage -depth 8 rgb:"$2.rgb"; }
fail=0 checked=0
for orig in "$corpus"/*.gif; do
  name=$(basename "$orig" .gif)
  $PY "$corpus/gifpatch.py" refcopies "$orig" "$out/o.idx.gif" "$out/o.gif"
  dump "$out/o.gif" "$out/o"
  for kind in lzw rle; do
    copy="$out/$name.$kind.gif"
    if [ ! -f "$copy" ]; then echo "missing $copy"; fail=1; continue; fi
    if ! gifsicle --info "$copy" >/dev/null 2>"$out/gifsicle.err" || [ -s "$out/gifsicle.err" ]; then
      echo "gifsicle complains about $copy:"; cat "$out/gifsicle.err"; fail=1
    fi
    $PY "$corpus/gifpatch.py" refcopies "$copy" "$out/c.idx.gif" "$out/c.gif"
    dump "$out/c.gif" "$out/c"
    if ! cmp -s "$out/o.txt" "$out/c.txt"; then echo "$copy: frames differ in number or placement"; fail=1; fi
    if ! cmp -s "$out/o.rgb" "$out/c.rgb"; then echo "$copy: pixels differ"; fail=1; fi
    checked=$((checked + $(wc -l <"$out/o.txt")))
  done
done
echo "frames checked: $checked"
exit $fail
