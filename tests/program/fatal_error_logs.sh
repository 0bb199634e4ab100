#!/usr/bin/env bash
# The program in a real X server ends on a fatal error (a SIGSEGV sent to it): it shows the
# "Program Error" box, ends with exit code 1 and writes its log "qtv.htm" in the current folder.
# An installed copy (its program file in a system folder, /opt here) writes the log under
# $XDG_STATE_HOME/vistametra/ instead, and nothing beside the program or in the current folder.
#
# Each run has network and mount namespaces of its own: no network (the update check fails at
# once, quietly), and for the installed copy a scratch folder mounted over /opt.
set -u
. "$(cd "$(dirname "$0")" && pwd)/../support/x11_windows.sh"
program=$1
export QT_QPA_PLATFORM=xcb
needs_namespaces -n -m
work=$(mktemp -d)
mkdir -p "$work/prog" "$work/cur" "$work/state"
cp "$program" "$work/prog/vistametra"
pid=""
trap 'kill $pid 2>/dev/null; rm -rf "$work"' EXIT

fail_details() {
    ls -laR "$work" 2>/dev/null | head -40
}

# Starts the program file `$1` (as seen inside the namespace) in $work/cur, crashes it and
# answers the box; leaves its exit code in $code.
crash() {
    (cd "$work/cur" && exec unshare -n -m sh -c \
        'mount --bind "$0/prog" /opt && exec env XDG_STATE_HOME="$0/state" "$1"' \
        "$work" "$1" >"$work/program.log" 2>&1) &
    pid=$!
    wait_window '^Vistametra$' >/dev/null || fail "no main window from $1"
    # The subshell became the program: each step of the chain exec'd the next. The signal is sent
    # while the program waits for events: sent at a random moment it may land inside the X
    # library's locks, where no box can show (a fault in the program's own code does not).
    wait_idle "$pid" || fail "the program never waited for events"
    kill -SEGV "$pid"
    dismiss '^Program Error$' Return || fail "no Program Error box, or it did not close"
    wait $pid
    code=$?
    pid=""
}

crash "$work/prog/vistametra"
[ "$code" -eq 1 ] || fail "the fatal error ended the program with $code"
grep -q 'SIGSEGV' "$work/cur/qtv.htm" 2>/dev/null || fail "no log entry in the current folder"
rm -f "$work/cur/qtv.htm"

crash /opt/vistametra
[ "$code" -eq 1 ] || fail "the installed copy ended with $code"
grep -q 'SIGSEGV' "$work/state/vistametra/qtv.htm" 2>/dev/null ||
    fail "the installed copy wrote no log under XDG_STATE_HOME"
[ -z "$(ls -A "$work/cur")" ] || fail "the installed copy wrote into the current folder"
[ "$(ls -A "$work/prog")" = vistametra ] || fail "the installed copy wrote beside the program"
echo "fatal errors end with 1; logs in the current folder, or under XDG_STATE_HOME when installed"
