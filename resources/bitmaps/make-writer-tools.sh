#!/usr/bin/env bash
# Draws the writer pane's tool pictures once, at development time, 4 times larger and scaled down for
# smooth edges: 164 read aloud, 165 delete, 177 print, 180 next and 181 previous sentence (32 x 32 on
# a rounded tile, so they read on any pane colour), 183 and 184 the scroll arrows at the strip's ends
# (20 x 32, no tile). Needs ImageMagick 6; the PNGs it writes are committed.
set -euo pipefail
cd "$(dirname "$0")"

tile="fill #00000030 roundrectangle 8,10 124,126 22,22 fill #fdfdfb stroke #7a7f87 stroke-width 5 roundrectangle 4,4 120,120 22,22 stroke none"

draw() { # file width height drawing
    convert -size "$(($2 * 4))x$(($3 * 4))" xc:none -draw "$4" -resize "$2x$3" -strip "$1"
}

draw 164.png 32 32 "$tile
    fill #1f4e8c polygon 20,48 38,48 64,24 64,100 38,76 20,76
    fill none stroke #1f4e8c stroke-width 7
    ellipse 60,62 24,24 -55,55
    ellipse 60,62 44,44 -50,50"
draw 165.png 32 32 "$tile
    fill #b3261e roundrectangle 30,30 94,40 4,4 roundrectangle 52,22 72,32 4,4
    path 'M 36,44 L 88,44 L 82,100 Q 81,104 77,104 L 47,104 Q 43,104 42,100 Z'
    stroke #fdfdfb stroke-width 5 line 52,54 54,94 line 62,54 62,94 line 72,54 70,94"
draw 177.png 32 32 "$tile
    fill #ffffff stroke #4a4f57 stroke-width 4 rectangle 40,22 84,52
    fill #4a4f57 stroke none roundrectangle 24,48 100,86 8,8
    fill #ffffff stroke #4a4f57 stroke-width 4 rectangle 38,72 86,104
    stroke #8a8f97 stroke-width 4 line 46,82 78,82 line 46,92 72,92
    fill #7cc576 stroke none circle 88,58 88,62"
draw 180.png 32 32 "$tile
    fill #2e7d32 polygon 28,50 62,50 62,30 98,62 62,94 62,74 28,74"
draw 181.png 32 32 "$tile
    fill #2e7d32 polygon 96,50 62,50 62,30 26,62 62,94 62,74 96,74"
draw 183.png 20 32 "fill #00000022 polygon 64,24 64,112 18,68
    fill #5a6270 polygon 60,20 60,108 14,64"
draw 184.png 20 32 "fill #00000022 polygon 20,24 20,112 66,68
    fill #5a6270 polygon 16,20 16,108 62,64"
