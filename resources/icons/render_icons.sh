#!/usr/bin/env bash
# Renders the window icon qtv.svg into the PNG sizes that desktops look for.
# Usage: resources/icons/render_icons.sh   (needs ImageMagick with its SVG delegate)
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "hicolor/${size}x${size}"
    convert -background none -density 600 qtv.svg -resize "${size}x${size}" \
        -define png:exclude-chunks=date,time -strip "hicolor/${size}x${size}/vistametra.png"
done
