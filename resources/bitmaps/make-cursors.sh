#!/usr/bin/env bash
# Draws the pane cursors once, at development time, as 32 x 32 PNGs with transparency: 244 the arrow,
# 245 the pointing hand, 30980 the select tool (an arrow with a dashed frame), 30979 the icon wizard's
# tool (an arrow with a magic wand). Their hot spots are in system/SystemStrings.cpp. Needs ImageMagick
# 6; the PNGs it writes are committed.
set -euo pipefail
cd "$(dirname "$0")"

arrow='polygon 1,1 1,23 6,18 10,27 14,25 10,17 17,17'
outline='fill white stroke black stroke-width 1.4 stroke-linejoin round'

convert -size 32x32 xc:none -draw "$outline $arrow" -strip 244.png

convert -size 32x32 xc:none -draw "$outline \
    roundrectangle 10,1 16,18 3,3 \
    roundrectangle 16,9 21,18 2,2 \
    roundrectangle 21,11 26,19 2,2 \
    polygon 10,16 4,12 2,14 7,24 \
    roundrectangle 7,15 27,30 5,5" \
    -draw "fill white stroke none \
    rectangle 11,14 15,18 rectangle 17,15 20,18 rectangle 22,16 25,18 rectangle 8,17 12,22" \
    -draw "stroke black stroke-width 1 line 16,15 16,19 line 21,16 21,19" -strip 245.png

convert -size 32x32 xc:none \
    -draw "fill #ffffffd0 stroke #1d5fbf stroke-width 1.5 stroke-dasharray 3,2 rectangle 16,16 30,30" \
    -draw "$outline $arrow" -strip 30980.png

convert -size 32x32 xc:none \
    -draw "stroke #3b2a14 stroke-width 3 stroke-linecap round line 14,29 23,20" \
    -draw "stroke white stroke-width 3 stroke-linecap round line 21,22 23,20" \
    -draw "fill #f6c945 stroke #9a6d00 stroke-width 1 \
    polygon 25,10 26.5,14.5 31,15 27.5,17.5 28.5,22 25,19.5 21.5,22 22.5,17.5 19,15 23.5,14.5" \
    -draw "$outline $arrow" -strip 30979.png
