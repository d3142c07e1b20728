#!/bin/sh
# Regenerates the library's own pictures with ImageMagick. The results are kept
# in the repository, so building needs neither this script nor ImageMagick.
set -e
cd "$(dirname "$0")"

# Icon 101 (the about box shows it), 32 x 32: a month leaf with two rings and
# one day marked.
convert -size 32x32 xc:none \
    -fill '#2f6fb0' -stroke none -draw 'roundrectangle 2,4 29,29 3,3' \
    -fill white -draw 'rectangle 5,11 26,26' \
    -fill '#1d3f66' -draw 'rectangle 8,1 10,7' -draw 'rectangle 21,1 23,7' \
    -fill '#9fb3c8' \
    -draw 'rectangle 7,13 9,15' -draw 'rectangle 12,13 14,15' -draw 'rectangle 17,13 19,15' -draw 'rectangle 22,13 24,15' \
    -draw 'rectangle 7,18 9,20' -draw 'rectangle 12,18 14,20' -draw 'rectangle 22,18 24,20' \
    -draw 'rectangle 7,23 9,25' -draw 'rectangle 12,23 14,25' -draw 'rectangle 17,23 19,25' \
    -fill '#f2b134' -draw 'rectangle 16,17 20,21' \
    -depth 8 -strip icone101.png

# Toolbox picture 30000, 16 x 15, 16 colours: the same leaf, smaller.
convert -size 16x15 xc:'#c0c0c0' \
    -fill '#000080' -stroke none -draw 'rectangle 1,1 14,14' \
    -fill white -draw 'rectangle 2,5 13,13' \
    -fill '#000000' -draw 'point 4,0' -draw 'point 11,0' \
    -fill '#808080' -draw 'point 4,7' -draw 'point 7,7' -draw 'point 10,7' -draw 'point 4,10' -draw 'point 7,10' \
    -fill '#ff0000' -draw 'rectangle 9,9 11,11' \
    -colors 16 -type Palette -compress none -strip BMP3:caixa30000.bmp
