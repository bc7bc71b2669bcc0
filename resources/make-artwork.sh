#!/bin/sh
# Regenerates the program's artwork (needs ImageMagick). The PNGs are committed; run this
# only after changing the drawing.
set -e
cd "$(dirname "$0")"
FONT=DejaVu-Sans-Bold
# Panel logo, 120 x 28: a sonar fan beside the name.
convert -size 120x28 xc:'#101c34' \
  -fill '#1f6fb4' -draw "path 'M 14,25 L 3,6 A 22,22 0 0 1 25,6 Z'" \
  -fill '#ffd23a' -draw "path 'M 14,25 L 9,8 A 18,18 0 0 1 19,8 Z'" \
  -fill '#ffffff' -draw "circle 14,25 14,23" \
  -font $FONT -pointsize 15 -fill '#e8eef8' -annotate +30+19 'TARVISK' \
  -fill '#1f6fb4' -draw 'rectangle 30,22 116,23' \
  logo.png
# Splash logo: the start-up picture is cut from this one at (7, 30).
convert -size 300x150 xc:'#101c34' \
  -fill '#1f6fb4' -draw "path 'M 50,112 L 14,44 A 80,80 0 0 1 86,44 Z'" \
  -fill '#ffd23a' -draw "path 'M 50,112 L 36,46 A 66,66 0 0 1 64,46 Z'" \
  -font $FONT -pointsize 34 -fill '#e8eef8' -annotate +104+84 'TARVISK' \
  -font DejaVu-Sans -pointsize 13 -fill '#9fb7d8' -annotate +106+104 'Digital Sonar' \
  splash.png
# Program icon, 64 x 64.
convert -size 64x64 xc:none -fill '#101c34' -draw 'roundrectangle 0,0 63,63 10,10' \
  -fill '#1f6fb4' -draw "path 'M 32,56 L 8,14 A 48,48 0 0 1 56,14 Z'" \
  -fill '#ffd23a' -draw "path 'M 32,56 L 24,16 A 40,40 0 0 1 40,16 Z'" \
  tarvisk.png
# Image-area cursor, 32 x 32 with the hot spot in the centre: a thin cross with a gap.
convert -size 32x32 xc:none -stroke black -strokewidth 3 \
  -draw 'line 16,2 16,12' -draw 'line 16,20 16,30' -draw 'line 2,16 12,16' -draw 'line 20,16 30,16' \
  -stroke white -strokewidth 1 \
  -draw 'line 16,2 16,12' -draw 'line 16,20 16,30' -draw 'line 2,16 12,16' -draw 'line 20,16 30,16' \
  newcur.png
# Desktop icons for the package: the program icon drawn at 256 x 256 and scaled down to the
# sizes desktops ask for (packaging/icons/tarvisk.svg is the same drawing).
ICONS=../packaging/icons
convert -size 256x256 xc:none -fill '#101c34' -draw 'roundrectangle 0,0 255,255 40,40' \
  -fill '#1f6fb4' -draw "path 'M 128,224 L 32,56 A 192,192 0 0 1 224,56 Z'" \
  -fill '#ffd23a' -draw "path 'M 128,224 L 96,64 A 160,160 0 0 1 160,64 Z'" \
  -fill '#ffffff' -draw 'circle 128,224 128,212' -strip PNG32:$ICONS/tarvisk-256.png
for s in 16 22 24 32 48 64 128; do
  convert $ICONS/tarvisk-256.png -resize ${s}x${s} -strip PNG32:$ICONS/tarvisk-$s.png
done
