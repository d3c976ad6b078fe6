#!/bin/sh
# Rebuilds the format corpus in this folder: small pictures written by
# ImageMagick 6.9 and netpbm 11 (Debian), each with NAME.rgba, ImageMagick's
# decoding of it (8 bits per channel, red, green, blue, alpha, rows from the top).
# PCX and Targa files are decoded by netpbm instead (pcxtoppm, tgatoppm): this
# ImageMagick reads a Targa file's rows in the opposite order of its origin bit
# and shows a 1-bit PCX with its palette inverted, where netpbm follows the
# header. A few files are patched BY HAND (noted below); no file comes from our
# own writers.
set -eu
cd "$(dirname "$0")"
IM=/usr/bin/convert-im6.q16
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT

# Sources: 23 x 13 (odd width, odd height), true colour, 200, 16 and 2 colours.
$IM -seed 7 -size 23x13 plasma:fractal "$T/src.ppm"
$IM "$T/src.ppm" -colors 200 "$T/c200.ppm"
$IM "$T/src.ppm" -colors 16 "$T/c16.ppm"
$IM "$T/src.ppm" -monochrome "$T/bw.pbm"
$IM "$T/src.ppm" -colorspace gray "$T/grey.pgm"
$IM -size 23x13 gradient:white-black "$T/ramp.pgm"

rm -f ./*.bmp ./*.ico ./*.cur ./*.pbm ./*.pgm ./*.ppm ./*.pcx ./*.tga ./*.gif ./*.rgba

# BMP
$IM "$T/bw.pbm" -type bilevel BMP3:bmp1.bmp
ppmtobmp -windows -bpp 4 "$T/c16.ppm" >bmp4.bmp 2>/dev/null
$IM "$T/c200.ppm" -type palette -compress none BMP3:bmp8.bmp
$IM "$T/c200.ppm" -type palette -compress rle BMP3:bmp8_rle.bmp
$IM "$T/src.ppm" -define bmp:subtype=RGB555 BMP:bmp16_555.bmp
$IM "$T/src.ppm" -define bmp:subtype=RGB565 BMP:bmp16_565.bmp
$IM "$T/src.ppm" BMP3:bmp24.bmp
$IM "$T/src.ppm" BMP:bmp24_v5.bmp
$IM "$T/src.ppm" -alpha set -define bmp:subtype=ARGB8888 BMP:bmp32.bmp
ppmtobmp -os2 -bpp 1 "$T/bw.pbm" >bmp1_os2.bmp 2>/dev/null
ppmtobmp -os2 -bpp 8 "$T/c200.ppm" >bmp8_os2.bmp 2>/dev/null
ppmtobmp -os2 -bpp 24 "$T/src.ppm" >bmp24_os2.bmp 2>/dev/null

# Icons: netpbm writes 1, 4 and 8 bits with an AND mask (from ramp.pgm's dark
# half), ImageMagick 32 bits. cur4.cur is ico4.ico with the type field set
# to 2 and the entry's planes/bits set to the hot spot (5, 7) BY HAND.
$IM "$T/ramp.pgm" -threshold 50% "$T/and.pgm"
ppmtowinicon -andpgms "$T/bw.pbm" "$T/and.pgm" >ico1.ico 2>/dev/null
ppmtowinicon -andpgms "$T/c16.ppm" "$T/and.pgm" >ico4.ico 2>/dev/null
ppmtowinicon -andpgms "$T/c200.ppm" "$T/and.pgm" >ico8.ico 2>/dev/null
$IM "$T/src.ppm" \( "$T/ramp.pgm" \) -alpha off -compose copy-opacity -composite ico32.ico
cp ico4.ico cur4.cur
printf '\002' | dd of=cur4.cur bs=1 seek=2 conv=notrunc status=none
printf '\005\000\007\000' | dd of=cur4.cur bs=1 seek=10 conv=notrunc status=none

# PBM, PGM, PPM: plain and raw; maxval 100 and 65535; comments.
pnmtoplainpnm "$T/bw.pbm" >p1.pbm
cp "$T/bw.pbm" p4.pbm
pnmtoplainpnm "$T/grey.pgm" >p2.pgm
cp "$T/grey.pgm" p5.pgm
pamdepth 100 "$T/grey.pgm" >p5_max100.pgm
pnmtoplainpnm "$T/src.ppm" >p3.ppm
pamdepth 65535 "$T/src.ppm" >p6_16bit.ppm
{ printf 'P6\n# made by hand\n#second comment\n'; tail -c +4 "$T/src.ppm"; } >p6_comments.ppm

# PCX: netpbm (1 bit, 4 planes, packed 4 bits, 8 bits, 24 bits) and ImageMagick.
ppmtopcx "$T/bw.pbm" >pcx1.pcx 2>/dev/null
ppmtopcx "$T/c16.ppm" >pcx4_planes.pcx 2>/dev/null
ppmtopcx -packed "$T/c16.ppm" >pcx4_packed.pcx 2>/dev/null
ppmtopcx -8bit "$T/c200.ppm" >pcx8.pcx 2>/dev/null
ppmtopcx -24bit "$T/src.ppm" >pcx24.pcx 2>/dev/null
$IM "$T/c200.ppm" -type palette PCX:pcx8_im.pcx
$IM "$T/src.ppm" PCX:pcx24_im.pcx

# Targa: ImageMagick (raw and run-length, 32 bits with alpha) and netpbm.
$IM "$T/src.ppm" -compress none TGA:tga24.tga
$IM "$T/src.ppm" -compress rle TGA:tga24_rle.tga
$IM "$T/src.ppm" \( "$T/ramp.pgm" \) -alpha off -compose copy-opacity -composite -compress none TGA:tga32.tga
$IM "$T/src.ppm" \( "$T/ramp.pgm" \) -alpha off -compose copy-opacity -composite -compress rle TGA:tga32_rle.tga
pamtotga -cmap -norle "$T/c200.ppm" >tga8_cmap.tga 2>/dev/null
pamtotga -cmap "$T/c200.ppm" >tga8_cmap_rle.tga 2>/dev/null
pamtotga -mono -norle "$T/grey.pgm" >tga8_grey.tga 2>/dev/null
pamtotga -mono "$T/grey.pgm" >tga8_grey_rle.tga 2>/dev/null
pamtotga -rgb "$T/src.ppm" >tga24_netpbm_rle.tga 2>/dev/null

# GIF (ImageMagick): 8 bits, interlaced, 1-bit black and white, transparent.
$IM "$T/c200.ppm" gif8.gif
$IM "$T/c16.ppm" -interlace GIF gif4_interlaced.gif
$IM "$T/bw.pbm" gif1.gif
$IM "$T/c16.ppm" -transparent "$($IM "$T/c16.ppm" -format '%[pixel:p{0,0}]' info:)" gif4_transparent.gif

for f in *.bmp *.ico *.cur *.pbm *.pgm *.ppm *.pcx *.tga *.gif; do
  case $f in
    *.cur) $IM "ico:$f[0]" -depth 8 "rgba:$f.rgba" ;;
    *.pcx) pcxtoppm "$f" 2>/dev/null | $IM ppm:- -depth 8 "rgba:$f.rgba" ;;
    tga32*)
      tgatoppm -alphaout="$T/alpha.pgm" "$f" >"$T/colour.ppm" 2>/dev/null
      $IM "$T/colour.ppm" "$T/alpha.pgm" -alpha off -compose copy-opacity -composite -depth 8 "rgba:$f.rgba" ;;
    *.tga) tgatoppm "$f" 2>/dev/null | $IM ppm:- -depth 8 "rgba:$f.rgba" ;;
    *) $IM "$f[0]" -depth 8 "rgba:$f.rgba" ;;
  esac
done
ls | wc -l
