#!/usr/bin/env bash
# Starts the program under openbox, then the same program file a second time: without a file the
# second start shows "Program Already Running" titled "Stop" and ends with exit code 0 while the
# first keeps running; with a file it hands the file to the running window, which opens it as
# "&Abrir" does (a file that is no project is refused there in an "Abrir" box), and ends with 0.
# A copy of the program in another folder starts normally. No lock file outlives the program.
set -u
program=$1
. "$(cd "$(dirname "$0")" && pwd)/../support/x11_windows.sh"
# The instances run on the X server this script is given, whatever platform the caller chose.
export QT_QPA_PLATFORM=xcb
# The program checks the vendor's server for updates at start-up; here it runs without a network
# (a network namespace of its own), so nothing leaves the machine and the check fails at once.
needs_namespaces -n
# Run in the background only: the subshell becomes the program, so that $! is the program's pid
# and the trap ends the program itself. The instances write into the scratch folder, so that none
# left behind holds the test's output.
offline() { exec unshare -n "$@" >>"$work/program.log" 2>&1; }
if ! command -v openbox >/dev/null || ! command -v xprop >/dev/null; then
    echo "SKIPPED: openbox and xprop (x11-utils) are needed"
    exit 77
fi
work=$(mktemp -d)
first="" second="" copy="" wm=""
trap 'kill $first $second $copy $wm 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
start_openbox "$work/openbox.log"

offline "$program" & first=$!
wait_window '^Vistametra$' >/dev/null || fail "the first instance shows no window"

offline "$program" & second=$!
dismiss '^Stop$' Return || fail "the second instance shows no Stop box, or it did not close"
wait $second; code=$?
[ $code -eq 0 ] || fail "the second instance ended with $code"
kill -0 $first 2>/dev/null || fail "the first instance did not keep running"

# With a file, the second start hands it over: a valid project opens without a word ...
cp "$(dirname "$0")/../fuzz/project/corpus/default.qtv" "$work/Sala de Reunião.qtv"
offline "$program" "Sala de Reunião.qtv" & second=$!
wait $second; code=$?
[ $code -eq 0 ] || fail "the hand-over of a project ended with $code"
# The running window opened it: its title names the file.
wait_window '^Vistametra - Sala de Reuni' >/dev/null || fail "the handed-over project did not open"
wait_idle $first
[ "$(xdotool search --name '^(Stop|Abrir)$' 2>/dev/null | wc -l)" -eq 0 ] ||
    fail "the hand-over of a project showed a box"
# ... and a file that is no project is refused by the running window, as "&Abrir" refuses it.
printf 'nada' >"$work/nada.qtv"
offline "$program" nada.qtv & second=$!
wait $second; code=$?
[ $code -eq 0 ] || fail "the hand-over of a file ended with $code"
dismiss '^Abrir$' Return || fail "the running window did not open the handed-over file"
kill -0 $first 2>/dev/null || fail "the first instance did not keep running"

# Without the running window's socket the file cannot be handed over: a box says so, and the
# second start ends with 1.
mv "$XDG_RUNTIME_DIR"/*.socket "$work/socket.kept"
offline "$program" "Sala de Reunião.qtv" & second=$!
dismiss '^Stop$' Return || fail "a failed hand-over shows no Stop box"
wait $second; code=$?
[ $code -eq 1 ] || fail "a failed hand-over ended with $code"
grep -q 'não pôde ser entregue' "$work/program.log" || fail "a failed hand-over says nothing"
mv "$work/socket.kept" "$(ls "$XDG_RUNTIME_DIR"/* | head -n 1).socket"

# A copy in another folder is another program file: it runs beside the first.
mkdir "$work/copy" && cp "$program" "$work/copy/vistametra"
offline "$work/copy/vistametra" & copy=$!
# The first window's title names its project now: a window titled "Vistametra" is the copy's.
wait_window '^Vistametra$' >/dev/null || fail "the copy in another folder shows no window"
kill -0 $copy 2>/dev/null || fail "the copy in another folder did not run"
[ "$(xdotool search --name '^Stop$' 2>/dev/null | wc -l)" -eq 0 ] || fail "the copy was refused"
kill $copy; wait $copy 2>/dev/null
# The program removes its lock and socket as it ends.
kill $first; wait $first 2>/dev/null
left=$(ls -A "$XDG_RUNTIME_DIR")
[ -z "$left" ] || fail "left in the runtime folder: $left"
echo "second instance refused with exit code 0; copy ran"
