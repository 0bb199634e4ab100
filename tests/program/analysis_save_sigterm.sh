#!/usr/bin/env bash
# The program in a real X server with a large project (999 rows of narrow seats in a hall 400 m
# wide), asked to end (SIGTERM) while the analysis window "Visibilidade dos Assentos" saves its
# pages as PNG over earlier ones (about 8 s, 23 pages): once while the pages are drawn, once while
# they take their places. Nothing is left beside them (no hidden temporary sibling), in the
# current folder, the temporary folder or the runtime folder, and every page file there is a
# whole PNG.
set -u
. "$(cd "$(dirname "$0")" && pwd)/../support/x11_windows.sh"
program=$1
tool=$2
export QT_QPA_PLATFORM=xcb
needs_tools python3 xdotool
work=$(mktemp -d)
mkdir -p "$work/prog" "$work/here" "$work/tmp" "$work/run" "$work/config" "$work/saida"
chmod 700 "$work/run"
cp "$program" "$work/prog/vistametra"
trap 'kill $(cat "$work/program.pid" 2>/dev/null) 2>/dev/null; wait; rm -rf "$work"' EXIT
"$tool" --set nNumeroFilas=999 --set nLarguraAssento=0.3 --set nLargura=400 \
    --save "$work/grande.qtv" >/dev/null || fail "the large project could not be made"


# The processor time (user and system, in ticks of 1/100 s) the program's main thread has used.
thread_ticks() {
    awk '{ print $14 + $15 }' "/proc/$1/task/$1/stat" 2>/dev/null || echo 0
}

# save_and_end MOMENT: starts the program on the large project, opens the analysis window, saves
# its pages over the earlier ones and sends SIGTERM at MOMENT: "drawing" (0.3 s of the window
# thread's processor time into the save) or "placing" (once the first page that was not there
# before has arrived).
save_and_end() {
    rm -rf "$work/saida" && mkdir "$work/saida"
    "$tool" -o "$work/saida/vis.png" >/dev/null || fail "the earlier pages could not be made"
    earlier=$(cd "$work/saida" && ls | tr '\n' ' ')
    (
        cd "$work/here" &&
            exec env TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/run" \
                XDG_CONFIG_HOME="$work/config" http_proxy=http://127.0.0.1:9 \
                "$work/prog/vistametra" "$work/grande.qtv" >"$work/program.log" 2>&1
    ) &
    program_pid=$!
    echo $program_pid >"$work/program.pid"

    main=$(wait_window '^Vistametra') || fail "no main window"
    wait_idle $program_pid || fail "the program never settled"
    open_menu "$main" alt+n || fail "the menu A&nálise did not open"
    xdotool key --clearmodifiers v
    analysis=$(wait_window '^Visibilidade dos Assentos' 600) || fail "no analysis window"
    wait_idle $program_pid 600 || fail "the analysis window never settled"
    # "Salvar" stands at the right end of the window's second row of controls.
    eval "$(xdotool getwindowgeometry --shell "$analysis")"
    for y in 40 48 56 64 72 80 88; do
        xdotool mousemove --window "$analysis" $((WIDTH - 45)) $y click 1
        wait_window '^Salvar$' 10 >/dev/null && break
    done
    dialog=$(wait_window '^Salvar$' 50) || fail "Salvar showed no file dialog"
    press "$dialog" ctrl+a
    xdotool type --delay 5 "$work/saida/vis.png"
    xdotool key Return
    # The earlier pages are asked about first, in a box titled as the dialog: Sim (Return).
    question=""
    for _ in $(seq 100); do
        question=$(xdotool search --onlyvisible --name '^Salvar$' 2>/dev/null | grep -vx "$dialog" |
            head -n 1)
        [ -n "$question" ] && break
        sleep 0.1
    done
    [ -n "$question" ] || fail "the earlier pages were not asked about"
    press "$question" Return
    wait_gone '^Salvar$' 100 || fail "the file dialog or the question did not close"
    if [ "$1" = drawing ]; then
        # The window's thread has drawn for 0.3 s of its own processor time since the dialog
        # closed (its progress, whatever the machine's load), and no page has arrived yet.
        start=$(thread_ticks $program_pid)
        for _ in $(seq 6000); do
            [ $(($(thread_ticks $program_pid) - start)) -ge 30 ] && break
            sleep 0.01
        done
        [ $(($(thread_ticks $program_pid) - start)) -ge 30 ] ||
            fail "the window's thread never got to work on the save"
        [ -e "$work/saida/vis_0003.png" ] && fail "the pages arrived before the signal (drawing)"
    else
        for _ in $(seq 3000); do
            [ -e "$work/saida/vis_0003.png" ] && break
            sleep 0.01
        done
        [ -e "$work/saida/vis_0003.png" ] || fail "the pages never took their places"
    fi
    kill -0 $program_pid 2>/dev/null || fail "the program ended during the save"
    # The save is under way: the window's thread works instead of waiting for events. The pages
    # take their places within milliseconds on a fast disk, so there a signal may come after the
    # last one; what is left must still be whole.
    if [[ $(cat "/proc/$program_pid/task/$program_pid/wchan" 2>/dev/null) == *poll* ]]; then
        [ "$1" = drawing ] && fail "the save was over (or never began) before the signal ($1)"
        echo "(the pages had all taken their places before the signal)"
    fi
    kill -TERM $program_pid
    wait $program_pid
    code=$?
    [ $code -eq 143 ] || fail "ended with $code, not by SIGTERM ($1)"
    left=$(
        find "$work/here" "$work/tmp" "$work/run" -mindepth 1
        find "$work/saida" -mindepth 1 -name '.*'
    )
    [ -z "$left" ] || fail "outlived the program ($1): $left"
    python3 - "$work/saida" <<'PY' || fail "a page file is not a whole PNG ($1)"
import os, sys
folder = sys.argv[1]
for name in os.listdir(folder):
    data = open(os.path.join(folder, name), "rb").read()
    if not (data.startswith(b"\x89PNG\r\n\x1a\n") and data.endswith(b"IEND\xaeB`\x82")):
        sys.exit(name + " is cut short")
PY
    echo "SIGTERM while $1: before [$earlier], after [$(cd "$work/saida" && ls | tr '\n' ' ')]"
}

save_and_end drawing
save_and_end placing
