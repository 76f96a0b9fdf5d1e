#!/usr/bin/env bash
# Draws the buttons of the main toolbar (resource 128) once, at development time: one 24 x 24 PNG
# with a transparent ground per button, named by the button's command id. Needs ImageMagick 6; the
# PNGs it writes are committed.
set -euo pipefail
cd "$(dirname "$0")/toolbar"
ink='#1d2f4f'
accent='#f39b4b'

button() { # id draw-arguments...: one picture
    local id=$1
    shift
    convert -size 24x24 xc:none -stroke "$ink" -strokewidth 2 -fill none "$@" -strip "$id.png"
}

# Cut, copy, paste
button 57635 -draw "circle 7,18 7,21" -draw "circle 17,18 17,21" -draw "line 9,15 18,3 line 15,15 6,3"
button 57634 -fill white -draw "rectangle 3,3 14,16" -draw "rectangle 9,8 20,21"
button 57637 -fill "$accent" -draw "roundrectangle 4,4 19,21 2,2" -fill white -draw "rectangle 8,2 15,6" \
    -strokewidth 1 -draw "line 8,11 16,11 line 8,14 16,14 line 8,17 13,17"
# Print
button 5022 -fill white -draw "rectangle 7,2 17,9" -fill "$accent" -draw "roundrectangle 2,9 21,17 2,2" \
    -fill white -draw "rectangle 7,14 17,21"
# The edit tools: browse (a pointing hand), select, line, rectangle, round rectangle, ellipse,
# spot rectangle, polygon and the icon wizard's magic wand.
button 5104 -fill white -draw "path 'M 9,21 L 6,13 C 5,11 7,10 8,12 L 9,14 L 9,4 C 9,2 12,2 12,4 L 12,11 L 18,12 C 20,12 20,14 20,15 L 18,21 Z'"
button 5105 -fill "$accent" -draw "polygon 5,3 5,19 9,15 12,21 15,20 12,14 17,14"
button 5106 -draw "line 4,20 20,4"
button 5107 -draw "rectangle 3,5 20,18"
button 5108 -draw "roundrectangle 3,5 20,18 5,5"
button 5109 -draw "ellipse 12,12 9,7 0,360"
button 5121 -strokewidth 1 -draw "stroke-dasharray 2 2 rectangle 3,5 20,18" \
    -fill "$accent" -stroke none -draw "circle 12,12 12,15"
button 5110 -draw "polygon 4,19 7,5 15,3 20,12 13,20"
button 5122 -strokewidth 3 -draw "line 4,20 14,10" -stroke "$accent" -strokewidth 2 \
    -draw "line 18,2 18,8 line 15,5 21,5 line 20,11 20,15 line 18,13 22,13 line 10,2 10,6 line 8,4 12,4"
# About
button 5202 -fill "$accent" -draw "circle 12,12 12,2" -stroke white -strokewidth 3 \
    -draw "line 12,10 12,17" -fill white -stroke none -draw "circle 12,6 12,7.8"
# The word navigation bar (toolbar 196): find the word's pages (a magnifier on a page), the previous and
# the next page of the history, and the next inflexion of the selected word (a turning arrow).
button 32791 -fill white -draw "rectangle 3,2 15,20" -strokewidth 1 -draw "line 6,6 12,6 line 6,9 12,9" \
    -strokewidth 2 -fill "$accent" -draw "circle 14,13 14,18" -draw "line 17,17 21,21"
button 32792 -fill "$accent" -draw "polygon 3,12 11,4 11,9 20,9 20,15 11,15 11,20"
button 32793 -fill "$accent" -draw "polygon 21,12 13,4 13,9 4,9 4,15 13,15 13,20"
button 32794 -draw "arc 4,4 20,20 200,520" -fill "$accent" -draw "polygon 3,7 10,7 5,13"
