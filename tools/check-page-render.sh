#!/usr/bin/env bash
# Checks that a report page saved as EMF shows its pictures in a reader we did not write:
# LibreOffice (Debian libreoffice-draw-nogui) converts the default report's page files to PNG, and
# the boxes of a seated figure of the elevation and of a seat of the plan must hold dark pixels
# (the line drawings) as well as white ones. Too heavy for ./test (LibreOffice adds some 230 MB and
# takes seconds to start), so it is run by hand after changing the page files or the images.
#
# Usage: tools/check-page-render.sh [BUILD_DIR [KEEP_DIR]]
#   BUILD_DIR  where vistametra-report was built (default build/)
#   KEEP_DIR   keep the EMF and PNG pages there (default: a temporary folder, removed)
# Exit code: 0 when every box shows the drawing, 1 when one does not, 2 when a tool is missing.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
tool="$build/vistametra-report"
for needed in soffice convert; do
    if ! command -v "$needed" >/dev/null; then
        echo "check-page-render: $needed is missing (apt-get install libreoffice-draw-nogui imagemagick)" >&2
        exit 2
    fi
done
[ -x "$tool" ] || { echo "check-page-render: $tool is not built" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
out="${2:-$work}"
mkdir -p "$out"
"$tool" -o "$out/pagina.emf" >/dev/null
# A profile of its own, so that a LibreOffice the user has open is not disturbed.
soffice -env:UserInstallation="file://$work/profile" --headless --convert-to png \
    --outdir "$out" "$out/pagina_0001.emf" "$out/pagina_0002.emf" >/dev/null 2>&1

status=0
# The share of dark pixels in a box given in millimetres of the sheet (top, left, bottom, right).
check() {  # png, what, top, left, bottom, right
    local png=$1 what=$2
    [ -s "$png" ] || { echo "FAIL $what: LibreOffice wrote no $png"; status=1; return; }
    local size width height
    size=$(convert "$png" -format '%w %h' info:)
    width=${size% *}
    height=${size#* }
    local geometry
    geometry=$(awk -v w="$width" -v h="$height" -v t="$3" -v l="$4" -v b="$5" -v r="$6" 'BEGIN {
        x = int(l * w / 210); y = int(t * h / 297)
        printf "%dx%d+%d+%d", int(r * w / 210) - x, int(b * h / 297) - y, x, y }')
    local white
    white=$(convert "$png" -crop "$geometry" +repage -colorspace Gray -threshold 50% \
        -format '%[fx:mean]' info:)
    if awk -v m="$white" 'BEGIN { exit !(m > 0.05 && m < 0.97) }'; then
        echo "ok   $what: $(awk -v m="$white" 'BEGIN { printf "%.0f", (1 - m) * 100 }')% dark in $geometry"
    else
        echo "FAIL $what: white share $white in $geometry"
        status=1
    fi
}
# The default project draws at 17 mm per metre. Row k of the elevation stands at column
# 65.9 + 17k, its figure 22.95 mm high on the floor at row 159.6 - 3.4k; the plan's lower wall is
# row 254.6 and its seats are 11.9 mm wide, the first 3.4 mm above the wall.
for page in 1 2; do
    png="$out/pagina_000$page.png"
    check "$png" "page $page, figure of row 1" 136.65 65.9 159.6 82.9
    check "$png" "page $page, figure of row 7" 116.25 167.9 139.2 184.9
    check "$png" "page $page, seat 1 of row 1" 239.3 65.9 251.2 82.9
    check "$png" "page $page, seat 6 of row 7" 179.8 167.9 191.7 184.9
done
exit $status
