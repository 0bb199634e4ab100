#!/usr/bin/env bash
# Makes the README's pictures with the project's own programs: a screenshot of the main window
# after start-up (in a real X server, without a network so the update check stays quiet) and the
# default report's two pages side by side.
# Usage: tools/make-pictures.sh [build folder]   (needs xvfb, xdotool and ImageMagick)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath "${1:-$root/build}")"
out="${VM_PICTURES:-$root/docs/images}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    cd "$1"
    unshare -n "$2/vistametra" & pid=$!
    id=$(xdotool search --sync --onlyvisible --name "^Vistametra$" | head -n 1)
    sleep 1
    eval "$(xdotool getwindowgeometry --shell "$id")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$1/window.png"
    kill $pid' _ "$work" "$build"
convert "$work/window.png" -strip "$out/main-window.png"

(cd "$work" && "$build/vistametra-report" -o report.png >/dev/null)
convert "$work/report_0001.png" "$work/report_0002.png" -resize 420x -bordercolor '#888888' \
    -border 1 +append -strip -quality 85 "$out/report-pages.jpg"
ls -l "$out"
