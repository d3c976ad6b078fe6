#!/bin/sh
# Rebuilds the GIF conformance corpus and its reference pixel dumps.
# Files are made by ImageMagick and gifsicle; a few blocks no tool writes
# (plain text, an oversized frame) are spliced in by gifpatch.py, which only
# moves bytes between blocks and never decodes image data.
# Reference pixels come from ImageMagick's decoder (see README).
set -eu
IM=/usr/bin/convert-im6.q16
ID=/usr/bin/identify-im6.q16
cd "$(dirname "$0")"
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
P="/usr/bin/python3 gifpatch.py"
rm -f *.gif *.ref

# Still images, 1 to 8 bits, global maps, odd sizes.
$IM -size 17x13 pattern:checkerboard -colors 2 +dither bw1_17x13.gif
$IM -size 31x7 gradient:black-white -colors 4 +dither gray2_31x7.gif
$IM -size 23x11 -seed 3 plasma:red-blue -colors 8 +dither c3_23x11.gif
$IM -size 40x29 -seed 1 plasma:fractal -colors 16 +dither -interlace GIF c4_interlaced_40x29.gif
$IM -size 64x48 -seed 7 plasma:fractal -colors 256 +dither c8_64x48.gif
$IM -size 1x1 xc:'#123456' one_1x1.gif
$IM -size 100x80 -seed 5 xc:gray +noise Random -colors 256 +dither noise8_100x80.gif
# A tall thin interlaced image (every interlace pass, odd height).
$IM -size 3x37 -seed 9 plasma:fractal -colors 32 +dither -interlace GIF c5_interlaced_3x37.gif

# Animations.
# Local colour maps: each frame gets its own palette, a loop count, delays.
$IM -delay 7 -loop 3 \
  \( -size 20x16 -seed 11 plasma:red-yellow -colors 16 +dither \) \
  \( -size 20x16 -seed 12 plasma:blue-green -colors 64 +dither \) \
  \( -size 20x16 -seed 13 plasma:white-black -colors 5 +dither \) \
  anim_local_maps.gif
# Every disposal, frames offset inside a 40x30 screen.
$IM -size 40x30 xc:white \
  -dispose none -page 40x30+5+7 \( -size 11x9 xc:red \) \
  -dispose background -page 40x30+20+3 \( -size 13x17 -seed 2 plasma:blue-yellow -colors 7 +dither \) \
  -dispose previous -page 40x30+1+21 \( -size 9x5 xc:green \) \
  -dispose undefined -page 40x30+33+25 \( -size 7x5 xc:blue \) \
  -delete 0 -loop 0 anim_disposals.gif
# Transparency, disposal and loop count set by gifsicle on frames from ImageMagick.
$IM -size 24x18 -seed 21 plasma:red-blue -colors 6 +dither -fill red -draw 'rectangle 2,2 9,9' "$T/t1.gif"
$IM -size 24x18 -seed 22 plasma:red-green -colors 6 +dither -fill red -draw 'rectangle 12,6 20,15' "$T/t2.gif"
gifsicle -O0 --transparent '#ff0000' --disposal background --loopcount=5 --delay 20 \
  "$T/t1.gif" "$T/t2.gif" -o anim_transparent.gif
# gifsicle's own encoder: interlaced, frames positioned on a larger screen, 87a (no extensions).
gifsicle -O0 -i --logical-screen 50x40 --position 7,9 c4_interlaced_40x29.gif -o gs_interlaced_offset.gif
gifsicle -O0 --no-extensions c8_64x48.gif -o gs_87a_64x48.gif
# Comments by both tools, and an unregistered application block from gifsicle.
$IM -size 15x10 -seed 31 plasma:fractal -colors 4 +dither -comment 'made for the comment test' "$T/c.gif"
gifsicle -O0 --comment 'second comment from gifsicle' --app-extension TESTAPP1.0 'opaque bytes' "$T/c.gif" \
  -o comments_app.gif

# Hand-spliced blocks.
# Plain text extensions: one before the image, one after it (a frame without image).
$P plaintext c3_23x11.gif plaintext.gif
# A frame larger than the logical screen: the screen shrunk to 12x9.
$P screen c8_64x48.gif big_frame.gif 12 9

# Reference pixels of every frame, decoded by ImageMagick.
for f in *.gif; do
  $P refcopies "$f" "$T/idx.gif" "$T/rgb.gif"
  n=$($ID -format '%w %h\n' "$T/rgb.gif" | wc -l)
  i=0
  : > "$T/ref"
  while [ $i -lt $n ]; do
    wh=$($ID -format '%w %h' "$T/rgb.gif[$i]")
    $IM "$T/idx.gif[$i]" +repage -depth 8 rgb:"$T/idx.rgb"
    $IM "$T/rgb.gif[$i]" +repage -depth 8 rgb:"$T/rgb.rgb"
    $P refframe "$T/ref" $wh "$T/idx.rgb" "$T/rgb.rgb"
    i=$((i + 1))
  done
  cp "$T/ref" "${f%.gif}.ref"
done
ls -l *.gif *.ref | awk '{s += $5} END {print "corpus bytes:", s}'
