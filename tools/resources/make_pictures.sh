#!/bin/sh
# Draws the maker logo and the model picture of the model resource module
# (src/resources/pictures). Run it after changing a drawing and commit the
# BMPs: the build takes them as they are. Needs ImageMagick 6.
set -eu
out=$(dirname "$0")/../../src/resources/pictures
font=DejaVu-Sans-Bold

# Drawn four times larger and reduced, for smooth edges on the white
# banner of the Support page and the About dialog.
convert -size 480x112 xc:white \
    -fill '#1d3f73' -draw 'roundrectangle 0,12 96,100 14,14' \
    -fill white -draw 'polygon 22,34 74,34 74,46 42,78 74,78 74,90 22,90 22,78 54,46 22,46' \
    -fill '#1d3f73' -font "$font" -pointsize 70 -annotate +116+86 'ZENTARI' \
    -resize 96x22 -type TrueColor BMP3:"$out/maker_logo.bmp"

convert -size 384x320 xc:white \
    -stroke '#5a5f66' -strokewidth 4 \
    -fill '#f4f4f2' -draw 'polygon 96,40 288,40 296,76 88,76' \
    -fill white -draw 'rectangle 120,8 264,56' \
    -fill '#d9dbdd' -draw 'roundrectangle 40,72 344,232 18,18' \
    -fill '#c4c7ca' -draw 'rectangle 40,200 344,232' \
    -fill '#eceeef' -draw 'rectangle 64,236 320,292' \
    -fill '#b5b9bd' -draw 'rectangle 150,256 234,268' \
    -fill '#2c3e57' -draw 'roundrectangle 248,96 328,136 8,8' \
    -stroke none -fill '#6fd16f' -draw 'circle 264,116 270,116' \
    -fill '#9bc2ea' -draw 'rectangle 282,106 318,126' \
    -resize 80x66 -type TrueColor BMP3:"$out/model_picture.bmp"
