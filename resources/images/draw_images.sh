#!/bin/sh
# Draws the two report images as black-on-white line drawings and writes them beside this script
# as bilevel PBM files (one bit a pixel, black or white), the form in which the page files carry
# them:
#   assento.pbm  170 x 230  a person seated in an auditorium chair seen from the side, facing left
#                           (towards the screen): feet at the lower left, head near the top right,
#                           chair back at the right edge. The elevation stretches it over one row.
#   fila.pbm     170 x 136  an auditorium seat seen from above: straight front edge on the left,
#                           rounded back on the right. The plan stretches it over one seat.
# Needs ImageMagick's convert. The files are committed; run this again only to change the artwork.
set -eu
here=$(cd "$(dirname "$0")" && pwd)

# The strokes are drawn smooth and then cut at half grey, so every pixel is black or white.
common="-strip -colorspace Gray -threshold 50% -type bilevel"

# Seated figure. Chair: back (right edge), seat, armrest, pedestal and foot; person: head, torso
# leaning on the back, upper arm and forearm on the armrest, thigh, lower leg and foot forward.
convert -size 170x230 xc:white -fill none -stroke black -strokewidth 5 \
  -draw "roundrectangle 144,62 164,168 8,8" \
  -draw "line 72,152 160,152" \
  -draw "line 76,166 160,166" \
  -draw "line 72,152 76,166" \
  -draw "line 96,118 150,118" \
  -draw "line 128,166 128,214" \
  -draw "line 100,222 160,222" \
  -draw "line 128,214 100,222" \
  -draw "line 128,214 160,222" \
  -draw "circle 112,34 112,14" \
  -draw "line 96,36 89,40" \
  -draw "line 112,54 116,62" \
  -draw "polyline 116,62 132,146 128,150" \
  -draw "polyline 120,76 114,114 84,120" \
  -draw "line 84,120 76,118" \
  -draw "polyline 130,146 66,140 62,142" \
  -draw "polyline 64,142 44,208 46,212" \
  -draw "polyline 46,212 18,214 16,220 52,220 46,212" \
  $common "$here/assento.pbm"

# Seat from above. Outer outline: straight front edge on the left, rounded back on the right;
# inside: the backrest's arc and the two armrests along the upper and lower edges.
convert -size 170x136 xc:white -fill none -stroke black -strokewidth 5 \
  -draw "path 'M 10,10 L 100,10 A 58,58 0 0,1 100,126 L 10,126 Z'" \
  -draw "path 'M 104,24 A 44,44 0 0,1 104,112'" \
  -draw "line 10,24 104,24" \
  -draw "line 10,112 104,112" \
  $common "$here/fila.pbm"
