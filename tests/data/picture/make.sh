#!/bin/sh
# Makes the picture fixtures of the picture tests with Debian's ImageMagick 6
# (apt-get install imagemagick; CONVERT names another convert). The .pbm
# files are the source images in plain text (1 = black); each is written out
# once as a BMP with the 40-byte information header (BMP3:) and once in
# ImageMagick's default BMP format, which has the longer header.
#
# The oval is also written in the other layouts the loader reads; each must
# give the same record as oval-bmp3.bmp:
#   oval-topdown.bmp   the BMP3 file of the upside-down image with its height
#                      field made negative, so its rows run from the top
#                      (ImageMagick writes no top-down BMP itself)
#   oval-os2.bmp       BMP2:, the 12-byte OS/2 core header, 3-byte palette
#   oval-grey1.png     1-bit grey, as ImageMagick writes a two-colour image
#   oval-grey8.png     8-bit grey
#   oval-palette.png   8-bit palette, navy on light yellow
#   oval-rgba.png      8-bit RGBA: black everywhere, the background fully
#                      transparent (so it is light only with alpha over white)
#   oval-greyalpha.png 8-bit grey with alpha, the same
#   oval-rgb16.png     16-bit RGB, interlaced, dark green on light blue
# -strip keeps dates out of the PNG files, so they come out the same each time.
set -e
cd "$(dirname "$0")"
convert=${CONVERT:-/usr/bin/convert}
$convert -size 37x21 xc:white -fill black -stroke black \
    -draw "line 0,0 36,20" -draw "circle 18,10 18,3" -draw "point 36,0" \
    -monochrome -compress none kreis.pbm
$convert -size 120x32 xc:white -fill black -stroke black \
    -draw "rectangle 2,2 40,29" -draw "ellipse 80,16 30,12 0,360" -draw "line 0,31 119,0" \
    -monochrome -compress none oval.pbm
for n in kreis oval; do
    $convert $n.pbm -monochrome BMP3:$n-bmp3.bmp
    $convert $n.pbm -monochrome $n.bmp
done

$convert oval.pbm -flip -monochrome BMP3:oval-topdown.bmp
# height -32 at offset 22, little-endian
printf '\340\377\377\377' | dd of=oval-topdown.bmp bs=1 seek=22 conv=notrunc 2>/dev/null
$convert oval.pbm -monochrome BMP2:oval-os2.bmp
$convert oval.pbm -strip oval-grey1.png
$convert oval.pbm -strip -define png:color-type=0 -define png:bit-depth=8 oval-grey8.png
$convert oval.pbm -strip -fill navy -opaque black -fill '#FFFF80' -opaque white \
    -define png:color-type=3 PNG8:oval-palette.png
$convert oval.pbm -strip -alpha copy -channel A -negate +channel \
    -fill black -colorize 100 PNG32:oval-rgba.png
$convert oval.pbm -strip -alpha copy -channel A -negate +channel \
    -fill black -colorize 100 -define png:color-type=4 oval-greyalpha.png
$convert oval.pbm -strip -fill '#204020' -opaque black -fill '#E0E0FF' -opaque white \
    -depth 16 -interlace PNG PNG48:oval-rgb16.png
