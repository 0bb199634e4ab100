#!/bin/sh
# Draws the print preview's tool-button bitmaps (24 x 24) and its magnifier cursor (32 x 32) as
# PNG with a transparent background beside this script:
#   hp_top.png        bar and left triangle      first page
#   hp_back.png       left triangle              previous page
#   hp_next.png       right triangle             next page
#   hp_end.png        right triangle and bar     last page
#   hp_thumbnail.png  three small pages in a column
#   hp_gopage.png     a page with an arrow pointing into it
#   hp_zoom.png       magnifier with a plus
#   hp_print.png      printer with a sheet
#   hp_save.png       floppy disk
#   hp_close.png      red cross
#   hp_glass.png      magnifier cursor (hot spot at the centre of the lens, 12,12)
# Needs ImageMagick's convert. The files are committed; run this again only to change the artwork.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
cd "$here"

blue="#1f4e9c"
dark="#202020"
common="-strip -define png:color-type=6"

canvas() { echo "-size ${1}x${1} xc:none"; }

# Paging arrows.
convert $(canvas 24) -fill "$blue" -stroke "$blue" -strokewidth 1 \
  -draw "rectangle 4,4 6,19" -draw "polygon 19,4 19,19 8,11.5" $common hp_top.png
convert $(canvas 24) -fill "$blue" -stroke "$blue" -strokewidth 1 \
  -draw "polygon 16,4 16,19 6,11.5" $common hp_back.png
convert $(canvas 24) -fill "$blue" -stroke "$blue" -strokewidth 1 \
  -draw "polygon 8,4 8,19 18,11.5" $common hp_next.png
convert $(canvas 24) -fill "$blue" -stroke "$blue" -strokewidth 1 \
  -draw "polygon 5,4 5,19 16,11.5" -draw "rectangle 17,4 19,19" $common hp_end.png

# Thumbnails: three pages in a column.
convert $(canvas 24) -fill white -stroke "$dark" -strokewidth 1 \
  -draw "rectangle 7,1 16,7" -draw "rectangle 7,9 16,15" -draw "rectangle 7,17 16,23" \
  -stroke "#8a8a8a" -draw "line 9,3 14,3" -draw "line 9,5 13,5" \
  -draw "line 9,11 14,11" -draw "line 9,13 13,13" -draw "line 9,19 14,19" -draw "line 9,21 13,21" \
  $common hp_thumbnail.png

# Go to page: a page with a folded corner and an arrow into it.
convert $(canvas 24) -fill white -stroke "$dark" -strokewidth 1 \
  -draw "polygon 8,2 17,2 21,6 21,22 8,22" -draw "polyline 17,2 17,6 21,6" \
  -fill "$blue" -stroke "$blue" -strokewidth 2 -draw "line 2,14 12,14" \
  -strokewidth 1 -draw "polygon 11,10 16,14 11,18" $common hp_gopage.png

# Zoom: magnifier with a plus.
convert $(canvas 24) -fill "#dfeaff" -stroke "$dark" -strokewidth 2 \
  -draw "circle 10,10 10,3" -strokewidth 4 -draw "line 15,15 21,21" \
  -stroke "$blue" -strokewidth 2 -draw "line 7,10 13,10" -draw "line 10,7 10,13" \
  $common hp_zoom.png

# Print: printer body, paper tray and a sheet.
convert $(canvas 24) -fill white -stroke "$dark" -strokewidth 1 \
  -draw "rectangle 6,2 17,9" -fill "#b8b8b8" -draw "roundrectangle 2,9 21,17 2,2" \
  -fill white -draw "rectangle 6,14 17,22" -stroke "#8a8a8a" -draw "line 8,17 15,17" \
  -draw "line 8,19 14,19" -fill "#2a9d3a" -stroke none -draw "rectangle 17,11 19,12" \
  $common hp_print.png

# Save: floppy disk.
convert $(canvas 24) -fill "$blue" -stroke "$dark" -strokewidth 1 \
  -draw "polygon 2,2 19,2 22,5 22,22 2,22" -fill white -draw "rectangle 6,2 17,9" \
  -fill "$dark" -stroke none -draw "rectangle 13,3 15,8" \
  -fill "#e8e8e8" -stroke "$dark" -draw "rectangle 5,13 19,22" $common hp_save.png

# Close: red cross.
convert $(canvas 24) -stroke "#c62828" -strokewidth 4 -draw "line 5,5 19,19" \
  -draw "line 19,5 5,19" $common hp_close.png

# Cursor: magnifier, white outline so it shows on the grey surround and on the page.
convert $(canvas 32) -fill "#ffffff60" -stroke white -strokewidth 5 -draw "circle 12,12 12,3" \
  -draw "line 19,19 29,29" -stroke black -strokewidth 2 -draw "circle 12,12 12,4" \
  -strokewidth 3 -draw "line 19,19 28,28" $common hp_glass.png
