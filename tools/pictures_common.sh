# What the scripts that make the README's pictures share. Source it with the script's arguments:
#   . "$(dirname "$0")/pictures_common.sh" "$@"
# It sets root (the source tree), build (the build folder: the first argument, or root/build),
# out (VM_PICTURES, or docs/images) and work (a temporary folder removed at exit), and defines
# in_program_x.

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(realpath "${1:-$root/build}")"
out="${VM_PICTURES:-$root/docs/images}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# in_program_x SCREEN SCRIPT [ARG...]: starts the program in a virtual X server of SCREEN pixels
# (e.g. 1024x768), in $work and without a network so that the update check stays quiet; once its
# main window is there, runs the bash SCRIPT with the ARGs as $1..., the main window's id in
# $main, $work and $build, the functions of tests/support/x11_windows.sh and
#   grab ID FILE   the window's picture, as the screen shows it, saved as FILE;
# then ends the program.
in_program_x() {
    local screen=$1 script=$2
    shift 2
    xvfb-run -a -s "-screen 0 ${screen}x24" bash -c '
        root=$1 work=$2 build=$3 script=$4
        shift 4
        . "$root/tests/support/x11_windows.sh"
        grab() {
            eval "$(xdotool getwindowgeometry --shell "$1")"
            import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
        }
        cd "$work"
        unshare -n "$build/vistametra" & pid=$!
        main=$(wait_window "^Vistametra$") || { echo "no main window" >&2; kill $pid; exit 1; }
        sleep 1
        status=0
        eval "$script" || status=$?
        kill $pid
        exit $status' _ "$root" "$work" "$build" "$script" "$@"
}
