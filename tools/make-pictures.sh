#!/usr/bin/env bash
# Makes the README's pictures with the project's own programs: a screenshot of the main window
# after start-up (in a real X server, without a network so the update check stays quiet) and the
# default report's two pages side by side.
# Usage: tools/make-pictures.sh [build folder]   (needs xvfb, xdotool and ImageMagick)
set -euo pipefail
. "$(dirname "$0")/pictures_common.sh" "$@"

in_program_x 1024x768 'grab "$main" "$work/window.png"'
convert "$work/window.png" -strip "$out/main-window.png"

(cd "$work" && "$build/vistametra-report" -o report.png >/dev/null)
convert "$work/report_0001.png" "$work/report_0002.png" -resize 420x -bordercolor '#888888' \
    -border 1 +append -strip -quality 85 "$out/report-pages.jpg"
ls -l "$out"
