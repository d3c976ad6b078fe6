#!/bin/sh
# fmt_interop_check.sh TEST_EXE OUT_DIR [EMULATOR]
# Has test_fmt_interop.cpp (in imaging_tests) write every writer's kinds into OUT_DIR, then checks
# that ImageMagick's identify accepts each file and that an independent decoder
# gives the pixels written (NAME.rgba): ImageMagick, except netpbm's pcxtoppm
# for PCX and tgatoppm for Targa (this ImageMagick reads a Targa file's rows
# against its origin bit and shows 1-bit PCX palettes inverted; pcxtoppm reads
# run-length coded files only). The 64-byte BMP header (the 40-byte fields
# and 24 zero bytes) is left out: ImageMagick and netpbm each take it for
# another layout; so are 1- and 4-bit Targa files, which neither tool reads.
set -eu
exe=$1 out=$2 emu=${3:-}
IM=/usr/bin/convert-im6.q16
ID=/usr/bin/identify-im6.q16
rm -rf "$out"
mkdir -p "$out"
FMT_INTEROP_DIR="Z:$out" $emu "$exe" --test-file=fmt_interop >"$out/run.log" 2>&1 || { cat "$out/run.log"; exit 1; }
fail=0 checked=0
for f in "$out"/*.bmp "$out"/*.pbm "$out"/*.pgm "$out"/*.ppm "$out"/*.pcx "$out"/*.tga "$out"/*.gif; do
  [ -f "$f" ] || continue
  name=$(basename "$f")
  case $name in bmp*_64.bmp | tga1.tga | tga4.tga) continue ;; esac
  if ! $ID "$f" >/dev/null 2>"$out/id.err"; then echo "identify refuses $name:"; cat "$out/id.err"; fail=1; continue; fi
  rm -f "$out/got.rgba"
  case $name in
    *_raw.pcx) $IM "$f" -depth 8 rgba:"$out/got.rgba" ;;
    *.pcx) pcxtoppm "$f" 2>/dev/null | $IM ppm:- -depth 8 rgba:"$out/got.rgba" ;;
    tga32*)
      tgatoppm -alphaout="$out/a.pgm" "$f" >"$out/c.ppm" 2>/dev/null
      $IM "$out/c.ppm" "$out/a.pgm" -alpha off -compose copy-opacity -composite -depth 8 rgba:"$out/got.rgba" ;;
    *.tga) tgatoppm "$f" 2>/dev/null | $IM ppm:- -depth 8 rgba:"$out/got.rgba" ;;
    *) $IM "$f" -depth 8 rgba:"$out/got.rgba" ;;
  esac 2>"$out/decode.err" || true
  if ! cmp -s "$out/got.rgba" "$f.rgba"; then echo "$name: pixels differ"; fail=1; fi
  checked=$((checked + 1))
done
echo "files checked: $checked"
[ "$checked" -gt 0 ] || fail=1
exit $fail
