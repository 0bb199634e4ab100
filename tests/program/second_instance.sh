#!/usr/bin/env bash
# Starts the program, then the same program file a second time: the second start shows
# "Program Already Running" titled "Stop" and ends with exit code 0 while the first keeps running;
# a copy of the program in another folder starts normally.
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
work=$(mktemp -d)
first="" second="" copy=""
trap 'kill $first $second $copy 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"

offline "$program" & first=$!
wait_window '^Vistametra$' >/dev/null || fail "the first instance shows no window"

offline "$program" & second=$!
dismiss '^Stop$' Return || fail "the second instance shows no Stop box, or it did not close"
wait $second; code=$?
[ $code -eq 0 ] || fail "the second instance ended with $code"
kill -0 $first 2>/dev/null || fail "the first instance did not keep running"

# A copy in another folder is another program file: it runs beside the first.
mkdir "$work/copy" && cp "$program" "$work/copy/vistametra"
offline "$work/copy/vistametra" & copy=$!
sleep 3
kill -0 $copy 2>/dev/null || fail "the copy in another folder did not run"
[ "$(xdotool search --name '^Stop$' 2>/dev/null | wc -l)" -eq 0 ] || fail "the copy was refused"
echo "second instance refused with exit code 0; copy ran"
