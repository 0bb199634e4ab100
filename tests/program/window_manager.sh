#!/usr/bin/env bash
# The program under a real window manager (openbox) in the X server this script is given:
# "vistametra FILE.qtv" opens that project (Ctrl+S then saves it to that file); Ctrl+P opens the report's
# preview, whose windows belong to the main window (WM_TRANSIENT_FOR) and carry no caption boxes;
# a click on the main window leaves the preview above it; the keypad "*" zooms the page and
# zooms it back; Ctrl+Q ends the program with exit code 0.
# Usage: window_manager.sh VISTAMETRA VISTAMETRA-REPORT [PICTURE-FOLDER]
set -u
. "$(cd "$(dirname "$0")" && pwd)/../support/x11_windows.sh"
program=$1 tool=$2 pictures=${3:-}
export QT_QPA_PLATFORM=xcb
if ! command -v openbox >/dev/null || ! command -v xprop >/dev/null; then
    echo "SKIPPED: openbox and xprop (x11-utils) are needed"
    exit 77
fi
# The update check at start-up fails at once without a network (a namespace of its own).
needs_namespaces -n
work=$(mktemp -d)
wm="" app=""
trap 'kill $app $wm 2>/dev/null; rm -rf "$work"' EXIT
export HOME="$work/home"
mkdir -p "$HOME" "$work/bin"

start_openbox "$work/openbox.log"

stacking() { xprop -root _NET_CLIENT_LIST_STACKING | tr -d ',' | cut -d'#' -f2; }
position_in_stack() {  # ID -> its place from the bottom
    local i=0 w
    for w in $(stacking); do
        i=$((i + 1))
        [ $((w)) -eq $(($1)) ] && { echo $i; return; }
    done
    echo 0
}
allowed() { xprop -id "$1" _NET_WM_ALLOWED_ACTIONS; }
# The window asks for no minimise, maximise or close box and no resizing (Motif hints: functions
# move only, decorations border and title) and is a toolbar; openbox then offers neither
# minimising, maximising nor resizing. (openbox keeps its close function whatever a window asks:
# the strip's close box switches the thumbnails off, and the preview's closes the preview, as its
# own close does.)
no_caption_boxes() {  # ID NAME
    local actions hints
    hints=$(xprop -id "$1" _MOTIF_WM_HINTS | sed 's/.*= //')
    [ "$hints" = "0x3, 0x4, 0xa, 0x0, 0x0" ] || fail "$2 asks the window manager for: $hints"
    actions=$(allowed "$1")
    [[ $actions == *_NET_WM_ACTION_MOVE* ]] || fail "$2: the window manager does not manage it: $actions"
    xprop -id "$1" _NET_WM_WINDOW_TYPE | grep -q '= _NET_WM_WINDOW_TYPE_TOOLBAR$' ||
        fail "$2 is not a toolbar to the window manager: $(xprop -id "$1" _NET_WM_WINDOW_TYPE)"
    for box in MINIMIZE MAXIMIZE_HORZ RESIZE; do
        [[ $actions == *_NET_WM_ACTION_$box* ]] && fail "$2 offers $box: $actions"
    done
}
transient_of_main() {  # ID NAME
    local owner
    owner=$(xprop -id "$1" WM_TRANSIENT_FOR | sed -n 's/.*window id # //p')
    [ -n "$owner" ] || fail "$2 has no WM_TRANSIENT_FOR"
    [ $((owner)) -eq $((main)) ] || fail "$2 belongs to $owner, not to the main window $main"
}

# The program runs from a folder of its own, where it saves projects.
cp "$program" "$work/bin/vistametra"
"$tool" --set cProjeto=SALA_XVFB --set nNumeroFilas=12 --save "$work/Sala de Reunião.qtv" \
    >/dev/null || fail "vistametra-report could not write the project"
# A line that no project file holds: the program's own save leaves it out.
printf 'antes\r\n' >>"$work/Sala de Reunião.qtv"
cd "$work"
(exec unshare -n "$work/bin/vistametra" "$work/Sala de Reunião.qtv" >>"$work/program.log" 2>&1) &
app=$!
# The title names the project's file once it is open.
main=$(wait_window '^Vistametra( - .*)?$')
[ -n "$main" ] || fail "the main window did not appear"
xdotool windowmove --sync "$main" 0 0 >/dev/null 2>&1 || xdotool windowmove "$main" 0 0

# The project given on the command line is the one in the window: Ctrl+S saves it, once the
# start-up has finished and the program waits for events. (A key sent while the window is still
# being mapped can be lost on a loaded machine: it is sent again until the box appears.)
box=""
for _ in 1 2 3 4 5; do
    wait_idle "$app" 50
    xdotool windowactivate --sync "$main" >/dev/null 2>&1
    xdotool key --clearmodifiers ctrl+s
    box=$(wait_window '^Salvar arquivo$' 20)
    [ -n "$box" ] && break
done
[ -n "$box" ] || fail "Ctrl+S showed no confirmation"
dismiss '^Salvar arquivo$' Return || fail "the confirmation did not close"
# Ctrl+S writes the file the project was opened from, the one the title names.
saved="$work/Sala de Reunião.qtv"
! grep -q '^antes' "$saved" || fail "Ctrl+S did not write the opened file"
[ ! -e "$work/bin/SALA_XVFB_Calculo_Tela.qtv" ] || fail "Ctrl+S wrote a file beside the program"
grep -q '<Projeto>SALA_XVFB</Projeto>' "$saved" 2>/dev/null || fail "the opened project was not saved"
grep -q '<NumeroFilas> 12</NumeroFilas>' "$saved" || fail "the saved rows: $(cat "$saved")"

# Ctrl+P: the printer choice, then the report in the preview.
xdotool windowactivate --sync "$main" >/dev/null 2>&1
xdotool key --clearmodifiers ctrl+p
dismiss '^Selecione a Impressora$' Return || fail "Ctrl+P showed no printer choice, or it did not close"
preview=$(wait_window '\[1/')
[ -n "$preview" ] || fail "the preview did not open"
# Without a CUPS queue the printer is the built-in PDF printer, which asks for its file: no file.
# Once the program waits for events, that dialog (when it comes) has its window.
wait_idle "$app"
if xdotool search --name '^(Save As|Salvar como)' >/dev/null 2>&1; then
    saveas=$(wait_window '^(Save As|Salvar como)') || fail "the file dialog was never shown"
    xdotool windowactivate --sync "$saveas" >/dev/null 2>&1
    xdotool key Escape
    wait_gone '^(Save As|Salvar como)' || fail "Escape left the file dialog open"
fi
bar=$(wait_window 'Visualiza')
# The window manager's hints are set again after the windows are shown: the program is idle then.
wait_idle "$app"
transient_of_main "$preview" "the preview"
no_caption_boxes "$preview" "the preview"
[ -n "$bar" ] && { transient_of_main "$bar" "the navigation bar"; no_caption_boxes "$bar" "the navigation bar"; }

# A click on the main window, left of the preview: the preview stays above it.
xdotool mousemove --sync 60 200 click 1
wait_active "$main" 30 || fail "a click on the main window did not make it the active one"
wait_idle "$app"
[ "$(position_in_stack "$preview")" -gt "$(position_in_stack "$main")" ] ||
    fail "the main window came above the preview: $(stacking)"
[ -n "$pictures" ] && import -window root "$pictures/openbox-preview.png" 2>/dev/null
# A click on the preview's caption gives it the keyboard back: Page Down shows page 2, Page Up
# page 1 again.
eval "$(xdotool getwindowgeometry --shell "$preview")"
xdotool mousemove --sync $((X + WIDTH / 2)) $((Y - 8)) click 1
wait_active "$preview" 30 || fail "a click on its caption did not make the preview active"
xdotool key Next
[ -n "$(wait_window '\[2/2\]' 30)" ] || fail "after a click on its caption, Page Down did not page"
xdotool key Prior
[ -n "$(wait_window '\[1/2\]' 30)" ] || fail "Page Up did not page back"

# The keypad "*" zooms the page, a second press zooms it back.
xdotool windowactivate --sync "$preview" >/dev/null 2>&1
wait_idle "$app"
import -window "$preview" "$work/page.png"
xdotool key KP_Multiply
wait_picture_change "$preview" "$work/page.png" "$work/zoomed.png" 50 ||
    fail "the keypad * did not zoom"
xdotool key KP_Multiply
wait_picture_change "$preview" "$work/zoomed.png" "$work/back.png" 50 ||
    fail "a second keypad * changed nothing"
# The picture changed; once the page is drawn whole it is the first one again.
wait_idle "$app"
import -window "$preview" "$work/back.png"
differ() { [ "$(compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1)" != 0 ]; }
differ "$work/page.png" "$work/back.png" && fail "a second keypad * did not zoom back"

# The thumbnail strip (Ctrl+T) belongs to the main window too and has no caption boxes.
xdotool key --clearmodifiers ctrl+t
strip=$(wait_window '^Miniaturas$')
[ -n "$strip" ] || fail "Ctrl+T showed no thumbnails"
wait_idle "$app"
transient_of_main "$strip" "the thumbnail strip"
no_caption_boxes "$strip" "the thumbnail strip"
[ -n "$pictures" ] && import -window root "$pictures/openbox-thumbnails.png" 2>/dev/null
# Its close box (as openbox offers one) switches the thumbnails off: the strip goes, and Ctrl+T
# brings it back.
xdotool windowactivate --sync "$strip" >/dev/null 2>&1
xdotool key alt+F4
wait_gone '^Miniaturas$' || fail "Alt+F4 left the strip open"
xdotool windowactivate --sync "$preview" >/dev/null 2>&1
xdotool key --clearmodifiers ctrl+t
[ -n "$(wait_window '^Miniaturas$')" ] || fail "after its close, Ctrl+T did not show the strip again"

xdotool windowactivate --sync "$preview" >/dev/null 2>&1
xdotool key Escape
wait_gone '\[1/' || fail "Escape left the preview open"
xdotool windowactivate --sync "$main" >/dev/null 2>&1
xdotool key --clearmodifiers ctrl+q
wait $app; code=$?
app=""
[ $code -eq 0 ] || fail "Ctrl+Q ended the program with $code"
echo "the project opened, the preview stayed above the main window, the keypad * zoomed, Ctrl+Q ended"
