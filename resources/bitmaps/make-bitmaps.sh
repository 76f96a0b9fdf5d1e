#!/usr/bin/env bash
# Draws the program's own pictures once, at development time: 159 (the older program name), 197 (the newer
# one) and 198, the credits panel that lies under the scrolling text. 198 is cut from the common
# base, so the scrolling band blends into either splash picture. Needs ImageMagick 6 and the
# Liberation fonts; the PNGs it writes are committed.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

tile() { # x y colour: a rounded symbol tile with a soft shadow
    echo "fill #00000022 roundrectangle $(($1 + 3)),$(($2 + 4)) $(($1 + 73)),$(($2 + 74)) 12,12"
    echo "fill $3 stroke #ffffff stroke-width 3 roundrectangle $1,$2 $(($1 + 70)),$(($2 + 70)) 12,12 stroke none"
}

convert -size 540x420 gradient:'#fbfdff'-'#d6e6f5' \
    -fill '#e9f1fa' -draw "circle 470,60 470,200" \
    -draw "$(tile 32 128 '#f6c945')" \
    -draw "$(tile 116 128 '#7cc576')" \
    -draw "$(tile 200 128 '#f39b4b')" \
    -draw "$(tile 32 212 '#6fa8dc')" \
    -draw "$(tile 116 212 '#e57aa7')" \
    -draw "$(tile 200 212 '#a58ad6')" \
    -fill white -stroke '#333333' -strokewidth 3 \
    -draw "circle 67,152 67,162" -draw "line 67,162 67,184 line 53,170 81,170 line 67,184 57,194 line 67,184 77,194" \
    -draw "path 'M 151,190 C 120,168 132,145 151,160 C 170,145 182,168 151,190 Z'" \
    -draw "circle 235,163 235,176" \
    -draw "line 235,138 235,144 line 235,182 235,188 line 210,163 216,163 line 254,163 260,163" \
    -draw "line 217,145 221,149 line 249,177 253,181 line 253,145 249,149 line 221,177 217,181" \
    -draw "polygon 48,250 67,232 86,250 86,268 48,268" -draw "rectangle 62,254 72,268" \
    -draw "roundrectangle 128,228 174,258 8,8" -draw "polygon 138,258 134,270 150,258" \
    -draw "polygon 235,226 241,241 257,241 244,251 249,267 235,257 221,267 226,251 213,241 229,241" \
    -stroke none -fill '#1d2f4f' -draw "roundrectangle 282,280 530,408 14,14" \
    -fill '#ffffff' -draw "roundrectangle 304,120 521,262 24,24" \
    -fill '#ffffff' -draw "polygon 340,258 328,279 376,258" \
    -fill '#1d2f4f' -draw "circle 362,191 362,201" -draw "circle 412,191 412,201" -draw "circle 462,191 462,201" \
    -fill '#9db4cc' -draw "rectangle 32,312 270,313" \
    "$work/base.png"

convert "$work/base.png" -crop 227x106+294+291 +repage -strip 198.png

name() { # file name: the base with the program's name on it
    convert "$work/base.png" \
        -font Liberation-Sans-Bold -pointsize 58 -fill '#00000018' -annotate +35+89 "$2" \
        -fill '#1d2f4f' -annotate +32+86 "$2" \
        -fill '#f6c945' -draw "roundrectangle 34,100 84,105 2,2" \
        -fill '#7cc576' -draw "roundrectangle 90,100 140,105 2,2" \
        -fill '#f39b4b' -draw "roundrectangle 146,100 196,105 2,2" \
        -strip "$1"
}
name 159.png Morvelt
name 197.png Lumivo

# 171: the browse callout's button images, 16 x 16 each in one strip, on the mask colour #009999 (no
# smoothing, so that every edge pixel is either the mask or a colour of the picture). Image 1 is the
# pencil, 3 the watch, 6 the speaker and 8 the overlay mark; the others are empty.
convert -size 128x16 xc:'#009999' +antialias \
    -fill '#f2c230' -stroke '#6b4a10' -strokewidth 1 -draw "polygon 4,14 1,11 10,2 13,5" \
    -stroke none -fill '#e88a9a' -draw "polygon 10,2 12,0 15,3 13,5" \
    -fill '#6b4a10' -draw "polygon 1,11 4,14 0,15" \
    -fill '#ffffff' -stroke '#1d2f4f' -draw "circle 40,8 40,1" \
    -stroke '#1d2f4f' -draw "line 40,8 40,3 line 40,8 44,8" -stroke none -fill '#c0392b' -draw "point 40,8" \
    -fill '#1d2f4f' -draw "rectangle 81,5 84,10" -draw "polygon 84,5 89,1 89,14 84,10" \
    -fill none -stroke '#1d2f4f' -draw "arc 86,4 93,11 -60,60" -draw "arc 86,1 96,14 -60,60" \
    -stroke none -fill '#c0392b' -draw "circle 123,12 123,9" -fill '#ffffff' -draw "rectangle 122,10 123,14 rectangle 121,11 125,12" \
    -type TrueColor -strip PNG24:171.png
