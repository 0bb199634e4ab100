# Shell functions for the tests that drive the program in a real X server with xdotool.
# Source it: . "$(dirname "$0")/../support/x11_windows.sh"
# Waits are long enough for a loaded machine and a sanitizer build; they end as soon as the window
# is there (or gone).

# needs_namespaces FLAG...: ends the test as skipped (exit code 77) when unshare cannot give the
# program the namespaces the flags name (-n: a network of its own, -m: mounts of its own).
needs_namespaces() {
    unshare "$@" true 2>/dev/null && return 0
    echo "SKIPPED: the program cannot run in namespaces of its own (unshare $* needs root)"
    exit 77
}

# needs_tools COMMAND...: ends the test as skipped (exit code 77) when a command is missing.
needs_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is missing"; exit 77; }
    done
}

# fail MESSAGE: ends the test with MESSAGE, what the program wrote ($work/program.log), what the
# script's own fail_details function shows (when it defines one) and the windows on the screen.
fail() {
    echo "FAIL: $1"
    cat "$work/program.log" 2>/dev/null
    if declare -F fail_details >/dev/null; then
        fail_details
    fi
    xwininfo -root -children 2>/dev/null | grep '"' || true
    exit 1
}

# start_openbox LOG: starts openbox (its output into LOG, its pid in $wm) and waits until it
# manages the screen; fails the test when it does not come up within 5 s.
start_openbox() {
    openbox --sm-disable >"$1" 2>&1 &
    wm=$!
    for _ in $(seq 50); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || fail "openbox did not start"
}

# wait_window NAME-REGEX [TENTHS]: prints the id of the first visible window whose title matches,
# waiting up to TENTHS tenths of a second (default 300); returns 1, printing nothing, when none
# appeared.
wait_window() {
    local id
    for _ in $(seq "${2:-300}"); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# wait_gone NAME-REGEX [TENTHS]: waits until no visible window's title matches; returns 1 when
# one is still there after TENTHS tenths of a second (default 300).
wait_gone() {
    for _ in $(seq "${2:-300}"); do
        xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}

# press ID KEY...: makes the window active and sends it the keys through the X server's test
# extension (only focuses it where the window manager, or its absence, refuses activation).
press() {
    xdotool windowactivate --sync "$1" key --clearmodifiers "${@:2}" 2>/dev/null ||
        xdotool windowfocus --sync "$1" key --clearmodifiers "${@:2}"
}

# wait_idle PID [TENTHS]: waits until the process's main thread sleeps in its event loop's poll
# three samples in a row (up to TENTHS tenths of a second, default 300); returns 1 otherwise.
# A signal sent from outside then finds it between events, not inside the X library or malloc.
wait_idle() {
    local calm=0
    for _ in $(seq "${2:-300}"); do
        if [[ $(cat "/proc/$1/task/$1/wchan" 2>/dev/null) == *poll* ]]; then
            calm=$((calm + 1))
            [ $calm -ge 3 ] && return 0
        else
            calm=0
        fi
        sleep 0.1
    done
    return 1
}

# dismiss NAME-REGEX KEY...: waits for the window and presses the keys in it until it has gone
# (a key sent while the window is still being mapped is lost on a loaded machine); returns 1 when
# it never came or never went.
dismiss() {
    local id
    id=$(wait_window "$1") || return 1
    for _ in $(seq 10); do
        press "$id" "${@:2}"
        wait_gone "$1" 30 && return 0
    done
    return 1
}

# open_menu WINDOW KEY: presses the menu's key (alt+a) in the window until a new window of the
# program shows (the menu); returns 1 when none did.
open_menu() {
    local before w
    before=" $(xdotool search --onlyvisible --class vistametra 2>/dev/null | tr '\n' ' ') "
    for _ in $(seq 5); do
        press "$1" "$2"
        for _ in $(seq 30); do
            for w in $(xdotool search --onlyvisible --class vistametra 2>/dev/null); do
                [[ $before == *" $w "* ]] || return 0
            done
            sleep 0.1
        done
        press "$1" Escape
    done
    return 1
}

# wait_file FILE [TENTHS]: waits until FILE exists and is not empty (up to TENTHS tenths of a
# second, default 300); returns 1 otherwise.
wait_file() {
    for _ in $(seq "${2:-300}"); do
        [ -s "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

# wait_active ID [TENTHS]: waits until the window manager names the window ID the active one
# (_NET_ACTIVE_WINDOW), as it does once it has handled a click on it; returns 1 otherwise.
wait_active() {
    local active
    for _ in $(seq "${2:-300}"); do
        active=$(xprop -root _NET_ACTIVE_WINDOW 2>/dev/null | sed -n 's/.*window id # //p')
        [ -n "$active" ] && [ $((active)) -eq $(($1)) ] && return 0
        sleep 0.1
    done
    return 1
}

# wait_picture_change ID BEFORE AFTER [TENTHS]: captures the window ID into the picture AFTER until
# it differs from the picture BEFORE (the window has drawn what it was asked to); returns 1 when it
# never did.
wait_picture_change() {
    for _ in $(seq "${4:-300}"); do
        import -window "$1" "$3" 2>/dev/null &&
            [ "$(compare -metric AE "$2" "$3" null: 2>&1 | cut -d' ' -f1)" != 0 ] && return 0
        sleep 0.1
    done
    return 1
}
