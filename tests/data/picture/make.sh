#!/bin/sh
# Makes the bitmap fixtures of the picture tests with Debian's ImageMagick 6
# (apt-get install imagemagick). The .pbm files are the source images in
# plain text (1 = black); each is written out once as a BMP with the 40-byte
# information header (BMP3:) and once in ImageMagick's default BMP format,
# which has the longer header.
set -e
cd "$(dirname "$0")"
convert -size 37x21 xc:white -fill black -stroke black \
    -draw "line 0,0 36,20" -draw "circle 18,10 18,3" -draw "point 36,0" \
    -monochrome -compress none kreis.pbm
convert -size 120x32 xc:white -fill black -stroke black \
    -draw "rectangle 2,2 40,29" -draw "ellipse 80,16 30,12 0,360" -draw "line 0,31 119,0" \
    -monochrome -compress none oval.pbm
for n in kreis oval; do
    convert $n.pbm -monochrome BMP3:$n-bmp3.bmp
    convert $n.pbm -monochrome $n.bmp
done
