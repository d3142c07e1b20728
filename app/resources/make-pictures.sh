#!/bin/sh
# Regenerates the program's own pictures with ImageMagick. The results are kept
# in the repository, so building needs neither this script nor ImageMagick.
set -e
cd "$(dirname "$0")"
FONT=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
FONT_BOOK=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

# Logo of the about window, 260 x 88: a calendar leaf with a bell, and the name.
convert -size 260x88 xc:white \
    -fill '#2f6fb0' -stroke none -draw 'roundrectangle 10,12 74,76 8,8' \
    -fill white -draw 'rectangle 16,30 68,70' \
    -fill '#2f6fb0' -draw 'rectangle 22,6 27,20' -draw 'rectangle 57,6 62,20' \
    -fill '#f2b134' -draw 'path "M 42,36 C 33,36 32,45 32,52 L 29,59 L 55,59 L 52,52 C 52,45 51,36 42,36 Z"' \
    -fill '#f2b134' -draw 'circle 42,63 42,66' \
    -font "$FONT" -pointsize 26 -fill '#1d3f66' -annotate +86+46 'Zedozarir' \
    -font "$FONT_BOOK" -pointsize 12 -fill '#6b7b8c' -annotate +88+66 'lembretes do dia a dia' \
    -depth 8 -strip logo.png

# Background of the windows: a pale, quiet diagonal wash.
convert -size 640x480 -define gradient:angle=135 gradient:'#f8fafd'-'#dfe7f1' \
    -colors 64 -strip fundo.gif

# The program's icon, the logo's calendar leaf with its bell (lembrete.svg is
# the same drawing), at the sizes the desktop's icon theme uses.
for size in 16 22 24 32 48 64 128 256; do
    convert -size 584x584 xc:none \
        -draw "scale 8,8 translate -6,-6
               fill '#2f6fb0' roundrectangle 10,12 74,76 8,8
               fill white rectangle 16,30 68,70
               fill '#2f6fb0' rectangle 22,6 27,20 rectangle 57,6 62,20
               fill '#f2b134' path 'M 42,36 C 33,36 32,45 32,52 L 29,59 L 55,59 L 52,52 C 52,45 51,36 42,36 Z'
               circle 42,63 42,66" \
        -resize "${size}x${size}" -depth 8 -strip "icones/lembrete-$size.png"
done
