#!/usr/bin/env bash
# Started without a display (no DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM, as over ssh) the
# program says so in one line on standard error and ends with exit code 1, with or without a
# project file, writing no error log anywhere; --version and --help still answer.
# Usage: no_display.sh VISTAMETRA
set -u
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    ls -laR "$work" >&2
    exit 1
}
mkdir -p "$work/prog" "$work/cur" "$work/home" "$work/state" "$work/run"
chmod 700 "$work/run"
cp "$program" "$work/prog/vistametra"
printf '<Projeto>SALA</Projeto>\r\n' >"$work/cur/Sala.qtv"

# Runs the program with a clean environment in $work/cur; leaves the exit code in $code.
run() {
    (cd "$work/cur" && exec env -i PATH=/usr/bin:/bin HOME="$work/home" \
        XDG_STATE_HOME="$work/state" XDG_RUNTIME_DIR="$work/run" \
        "$work/prog/vistametra" "$@" >"$work/out" 2>"$work/err")
    code=$?
}

for args in "" "Sala.qtv"; do
    # shellcheck disable=SC2086
    run $args
    [ "$code" -eq 1 ] || fail "without a display ($args) the program ended with $code"
    [ "$(cat "$work/err")" = "vistametra: no display found (DISPLAY is not set)" ] ||
        fail "standard error ($args): $(cat "$work/err")"
    [ ! -s "$work/out" ] || fail "standard output ($args): $(cat "$work/out")"
    logs=$(find "$work" -name '*.htm' -o -name 'error.log')
    [ -z "$logs" ] || fail "an error log was written: $logs"
done

run --version
[ "$code" -eq 0 ] || fail "--version ended with $code"
grep -qx 'vistametra [0-9.]*' "$work/out" || fail "--version printed: $(cat "$work/out")"
run --help
[ "$code" -eq 0 ] || fail "--help ended with $code"
grep -q 'PROJECT.qtv' "$work/out" || fail "--help printed: $(cat "$work/out")"
echo "no display: one line and exit code 1; --version and --help answer"
