#!/usr/bin/env bash
# The program on a full-HD screen under openbox with QT_SCALE_FACTOR=2, as a high-density desktop
# runs it (960 x 540 logical pixels): the main window, the report's preview from "Gerar Report"
# with its navigation bar and thumbnail strip, Análise > Visibilidade dos Assentos, Análise >
# Projetor e Brilho and Help > Sobre each open with their frame, as openbox draws it, within the
# screen.
# Usage: scaled_windows.sh VISTAMETRA [PICTURE-FOLDER]
set -u
. "$(cd "$(dirname "$0")" && pwd)/../support/x11_windows.sh"
program=$1 pictures=${2:-}
export QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=2
needs_tools openbox xprop xwininfo
# The update check at start-up fails at once without a network (a namespace of its own).
needs_namespaces -n
work=$(mktemp -d)
wm="" app=""
trap 'kill $app $wm 2>/dev/null; rm -rf "$work"' EXIT
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$work/bin" -m 700 "$XDG_RUNTIME_DIR"
start_openbox "$work/openbox.log"
read -r screen_w screen_h < <(xwininfo -root | awk '/^  Width:/ {w = $2} /^  Height:/ {h = $2}
                                                  END {print w, h}')

# within_screen ID NAME: the window is mapped and its frame (the client and openbox's
# _NET_FRAME_EXTENTS around it) lies within the screen.
within_screen() {
    local info x y w h ext l=0 r=0 t=0 b=0
    info=$(xwininfo -id "$1") || fail "$2: no such window"
    [[ $info == *IsViewable* ]] || fail "$2 is not shown"
    x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
    y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
    w=$(sed -n 's/^ *Width: *//p' <<<"$info")
    h=$(sed -n 's/^ *Height: *//p' <<<"$info")
    ext=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ',')
    [ -n "$ext" ] && read -r l r t b <<<"$ext"
    local left=$((x - l)) top=$((y - t)) right=$((x + w + r)) bottom=$((y + h + b))
    echo "$2: frame $left,$top to $right,$bottom on ${screen_w}x${screen_h}"
    [ $left -ge 0 ] && [ $top -ge 0 ] && [ $right -le "$screen_w" ] && [ $bottom -le "$screen_h" ] ||
        fail "$2 reaches off the screen: $left,$top to $right,$bottom"
}

# shot NAME: the whole screen into the picture folder, once the program has drawn (idle).
shot() {
    [ -n "$pictures" ] || return 0
    wait_idle "$app" >/dev/null
    import -window root "$pictures/$1" 2>/dev/null
}

cp "$program" "$work/bin/vistametra"
cd "$work"
(exec unshare -n "$work/bin/vistametra" >>"$work/program.log" 2>&1) &
app=$!
main=$(wait_window '^Vistametra$') || fail "the main window did not appear"
wait_idle "$app" || fail "the program did not settle after its start"
within_screen "$main" "the main window"

# "Gerar Report": the button at column 510, row 20 of the client area below the menu bar (90 x 20
# logical pixels), clicked in its middle; the menu bar is 13 to 33 logical pixels high.
read -r mx my < <(xwininfo -id "$main" |
    awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x, y}')
xdotool windowactivate --sync "$main" >/dev/null 2>&1
xdotool mousemove --sync $((mx + 2 * 555)) $((my + 2 * 53)) click 1
preview=$(wait_window '\[1/') || fail "Gerar Report opened no preview"
bar=$(wait_window 'Visualiza') || fail "the preview has no navigation bar"
within_screen "$preview" "the preview"
within_screen "$bar" "the navigation bar"
shot scale2-preview.png
# The thumbnails beside the preview.
press "$preview" ctrl+t
strip=$(wait_window '^Miniaturas$') || fail "Ctrl+T showed no thumbnails"
wait_idle "$app" >/dev/null
within_screen "$strip" "the thumbnail strip"
within_screen "$preview" "the preview beside the strip"
shot scale2-preview-thumbnails.png
dismiss '\[1/' Escape || fail "Escape left the preview open"

# analysis_window KEY TITLE PICTURE: Análise, the item of KEY; its window TITLE within the screen,
# then closed with Alt+F4.
analysis_window() {
    local window
    open_menu "$main" alt+n || fail "Análise did not open"
    xdotool key --clearmodifiers "$1"
    window=$(wait_window "^$2\$") || fail "no window \"$2\""
    within_screen "$window" "$2"
    shot "$3"
    dismiss "^$2\$" alt+F4 || fail "\"$2\" did not close"
}
analysis_window v 'Visibilidade dos Assentos' scale2-analysis.png
analysis_window p 'Proje.+o' scale2-projection.png

# Help > Sobre.
open_menu "$main" alt+h || fail "Help did not open"
xdotool key --clearmodifiers s
about=$(wait_window '^Sobre Vistametra$') || fail "Sobre showed no box"
within_screen "$about" "Sobre"
dismiss '^Sobre Vistametra$' Return || fail "the Sobre box did not close"

press "$main" ctrl+q
wait $app; code=$?
app=""
[ $code -eq 0 ] || fail "Ctrl+Q ended the program with $code"
echo "every window lay within the ${screen_w}x${screen_h} screen at scale 2"
