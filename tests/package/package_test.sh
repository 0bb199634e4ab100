#!/usr/bin/env bash
# The Debian packages as a user and a packager meet them. Builds the programs in Release
# (BUILD, default build-release/), makes the packages with CPack, checks them with lintian,
# appstreamcli, desktop-file-validate and man, checks the hardening of the programs and the
# manual pages against --help, unpacks the main package into a scratch root and
# runs it from there: the tool's output, the bash completion, a fatal error whose log names our
# functions, then the same error with the debug package beside it, which adds the line numbers.
# Runs once from ./test (not under ctest): the Release build and lintian take a while.
set -u
src=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$src/build-release}
jobs=${VM_JOBS:-2}
work=$(mktemp -d /tmp/vm-package-XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
step() { printf '%s (%ds)\n' "$*" "$SECONDS"; }

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
step "building the programs in Release"
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVISTAMETRA_TESTS=OFF \
    -DVISTAMETRA_BENCH=OFF "${launcher[@]}" >"$work/configure.log" 2>&1 ||
    { cat "$work/configure.log"; fail "the Release build does not configure"; }
cmake --build "$build" -j"$jobs" >"$work/build.log" 2>&1 ||
    { tail -n 40 "$work/build.log"; fail "the Release build fails"; }

step "making the packages"
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log"; fail "cpack could not build the packages"; }
deb=$(ls "$work"/pkg/vistametra_*.deb 2>/dev/null | head -n 1)
ddeb=$(ls "$work"/pkg/vistametra-dbgsym_*.ddeb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no main .deb was written"
[ -n "$ddeb" ] || fail "no vistametra-dbgsym .ddeb was written"

depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libqt6printsupport6 libqt6svg6 qt6-qpa-plugins fonts-liberation2 \
           libcups2 libdw1 libc6; do
    [[ $depends == *"$dep"* ]] || fail "Depends lacks $dep: $depends"
done
[[ $(dpkg-deb -f "$deb" Recommends) == *qt6-translations-l10n* ]] ||
    fail "Recommends lacks qt6-translations-l10n"
[[ $depends != *qt6-translations-l10n* ]] || fail "qt6-translations-l10n is a dependency"

[ "$(dpkg-deb -f "$ddeb" Package)" = vistametra-dbgsym ] || fail "the debug package's name"

step "lintian"
# lintian knows .ddeb only by its contents: hand it the debug package under a .deb name.
cp "$ddeb" "$work/vistametra-dbgsym.deb"
lintian --pedantic --no-tag-display-limit "$deb" "$work/vistametra-dbgsym.deb" \
    >"$work/lintian.log" 2>&1
if grep -E '^(E|W): ' "$work/lintian.log"; then
    fail "lintian reports errors or warnings"
fi
if grep -E 'hardening|relro|bindnow|stack-protector|fortify' "$work/lintian.log"; then
    fail "lintian reports missing hardening"
fi

root="$work/root"
dpkg-deb -x "$deb" "$root" || fail "the package does not unpack"
for f in usr/bin/vistametra usr/bin/vistametra-report usr/share/applications/vistametra.desktop \
         usr/share/icons/hicolor/48x48/apps/vistametra.png \
         usr/share/icons/hicolor/scalable/apps/vistametra.svg \
         usr/share/man/man1/vistametra.1.gz usr/share/man/man1/vistametra-report.1.gz \
         usr/share/doc/vistametra/copyright usr/share/doc/vistametra/changelog.gz \
         usr/share/mime/packages/vistametra.xml \
         usr/share/metainfo/br.com.vistametra.vistametra.metainfo.xml \
         usr/share/bash-completion/completions/vistametra-report; do
    [ -e "$root/$f" ] || fail "the package lacks /$f"
done

# The main package carries no debug information; the debug package carries it by build id.
for exe in vistametra vistametra-report; do
    if readelf -S "$root/usr/bin/$exe" | grep -q '\.debug_'; then
        fail "/usr/bin/$exe still carries debug sections"
    fi
    id=$(readelf -n "$root/usr/bin/$exe" | sed -n 's/.*Build ID: *//p')
    [ -n "$id" ] || fail "/usr/bin/$exe has no build id"
    dpkg-deb -c "$ddeb" 2>/dev/null | grep -q "usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug" ||
        fail "the debug package has no file for /usr/bin/$exe (build id $id)"
done
# Built as Debian builds: position-independent, relocations read-only and bound at start-up, the
# stack protector and the checked (_chk) string and memory functions in use.
for exe in vistametra vistametra-report; do
    f="$root/usr/bin/$exe"
    readelf -h "$f" | grep -q 'Type: *DYN' || fail "/usr/bin/$exe is not position-independent"
    readelf -lW "$f" | grep -q GNU_RELRO || fail "/usr/bin/$exe has no read-only relocations"
    readelf -dW "$f" | grep -Eq 'BIND_NOW|FLAGS_1.*NOW' || fail "/usr/bin/$exe is not bound now"
    symbols=$(nm -D "$f")
    grep -q '__stack_chk_fail' <<<"$symbols" || fail "/usr/bin/$exe has no stack protector"
    grep -Eq '__[a-z0-9_]+_chk(@|$)' <<<"$symbols" || fail "/usr/bin/$exe uses no _chk function"
done
# The debug files are data (0644) with compressed sections.
dbgroot="$work/dbgroot"
dpkg-deb -x "$ddeb" "$dbgroot" || fail "the debug package does not unpack"
dpkg-deb -c "$ddeb" | awk '/\.debug$/ && $1 != "-rw-r--r--" { print; bad = 1 } END { exit bad }' ||
    fail "debug files are not 0644"
for f in $(find "$dbgroot/usr/lib/debug" -name '*.debug'); do
    readelf -SW "$f" 2>/dev/null | grep -E ' \.debug_info ' | grep -Eq ' [A-Z]*C[A-Z]* ' ||
        fail "$(basename "$f") is not compressed"
done
main_kb=$(( $(stat -c %s "$deb") / 1024 ))
debug_kb=$(( $(stat -c %s "$ddeb") / 1024 ))
echo "main package ${main_kb} KiB, debug package ${debug_kb} KiB"

step "desktop entry, AppStream, manual pages"
desktop-file-validate "$root/usr/share/applications/vistametra.desktop" || fail "desktop entry"
grep -q '^Exec=vistametra %f$' "$root/usr/share/applications/vistametra.desktop" ||
    fail "the desktop entry does not pass the file"
grep -q '^MimeType=application/x-vistametra-project;$' "$root/usr/share/applications/vistametra.desktop" ||
    fail "the desktop entry names no MIME type"
# The entry's MIME type is the one the package defines, a kind of plain text (not of XML).
grep -q 'mime-type type="application/x-vistametra-project"' "$root/usr/share/mime/packages/vistametra.xml" ||
    fail "the package does not define the desktop entry's MIME type"
grep -q 'sub-class-of type="text/plain"' "$root/usr/share/mime/packages/vistametra.xml" ||
    fail "the MIME type is not a kind of text/plain"
appstreamcli validate --no-net "$root/usr/share/metainfo/br.com.vistametra.vistametra.metainfo.xml" ||
    fail "appstreamcli refuses the metainfo"
for page in vistametra vistametra-report; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man $page: $warnings"
    LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$root/usr/share/man/man1/$page.1.gz" 2>/dev/null |
        grep -q -- '--version' || fail "man $page does not describe --version"
    # Every option that --help lists is described in the page.
    page_text=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$root/usr/share/man/man1/$page.1.gz" 2>/dev/null)
    help_text=$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/$page" --help) || fail "$page --help"
    [[ $help_text == Usage:* ]] || fail "$page --help does not begin with Usage:"
    for option in $(grep -oE '(^|[ ,])--[a-z][a-z0-9-]*' <<<"$help_text" | tr -d ' ,' | sort -u); do
        grep -q -- "$option" <<<"$page_text" || fail "man $page does not describe $option"
    done
done

step "the installed tool"
summary=$("$root/usr/bin/vistametra-report" 2>"$work/err") || fail "the installed tool does not run"
[ "$(echo "$summary" | head -n 1)" = 'L:  3.88 m    A:  2.43 m    D: 180.14"' ] ||
    fail "the installed tool printed: $summary"
[ ! -s "$work/err" ] || fail "the installed tool wrote on stderr: $(cat "$work/err")"
[ "$("$root/usr/bin/vistametra-report" --version)" = "vistametra-report 1.05" ] || fail "--version"
[ "$("$root/usr/bin/vistametra" --version)" = "vistametra 1.05" ] || fail "vistametra --version"

step "project files in the file manager"
# The package's MIME type and desktop entry in a data folder of their own, read back with
# shared-mime-info's database and GLib, as file managers do: a saved project is recognised by
# its name and, renamed without a suffix, by its first lines; other XML is not taken for one.
xdg="$work/xdg"
mkdir -p "$xdg/mime/packages" "$xdg/applications" "$work/mime"
cp "$root/usr/share/mime/packages/vistametra.xml" "$xdg/mime/packages/"
cp "$root/usr/share/applications/vistametra.desktop" "$xdg/applications/"
update-mime-database "$xdg/mime" >/dev/null 2>&1 || fail "update-mime-database refuses the MIME type"
update-desktop-database "$xdg/applications" || fail "update-desktop-database refuses the entry"
saved="$work/mime/Sala de Reunião_Calculo_Tela.qtv"
"$root/usr/bin/vistametra-report" --set 'cProjeto=Sala de Reunião' --save "$saved" >/dev/null ||
    fail "the installed tool does not save a project"
cp "$saved" "$work/mime/projeto"
printf '<?xml version="1.0"?>\r\n<subject id="Outro">\r\n' >"$work/mime/outro"
content_type() {
    env XDG_DATA_HOME="$xdg" XDG_DATA_DIRS=/usr/share gio info -a standard::content-type "$1" |
        sed -n 's/^ *standard::content-type: //p'
}
for f in "$saved" "$work/mime/projeto"; do
    type=$(content_type "$f")
    [ "$type" = application/x-vistametra-project ] || fail "$(basename "$f") is seen as '$type'"
done
type=$(content_type "$work/mime/outro")
[ "$type" != application/x-vistametra-project ] || fail "another XML file is taken for a project"
# (GLib offers only applications whose program it finds on the PATH.)
env PATH="$root/usr/bin:$PATH" XDG_DATA_HOME="$xdg" XDG_DATA_DIRS=/usr/share \
    gio mime application/x-vistametra-project | grep -q 'vistametra\.desktop' ||
    fail "no application is registered for project files"

completions=$(bash -c 'source "$1"; COMP_WORDS=(vistametra-report --set nNum); COMP_CWORD=2
                       _vistametra_report; echo "${COMPREPLY[*]}"' _ \
              "$root/usr/share/bash-completion/completions/vistametra-report")
[ "$completions" = "nNumeroFilas=" ] || fail "bash completion of --set nNum gave: $completions"
complete_words() {
    # bash-completion runs with extglob on, which the suffix patterns need.
    bash -O extglob -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
             _vistametra_report; echo "${COMPREPLY[*]}"' _ \
        "$root/usr/share/bash-completion/completions/vistametra-report" vistametra-report "$@"
}
[ "$(complete_words --tar)" = "--target-c" ] || fail "bash completion of --tar: $(complete_words --tar)"
touch "$work/mime/planta.dxf" "$work/mime/outro.txt"
[ "$(cd "$work/mime" && complete_words -o pla)" = "planta.dxf" ] ||
    fail "bash completion of -o does not offer .dxf files"

# An installed copy saves into the documents folder; a run that saves nothing does not make it.
if [ "$(id -u)" -eq 0 ] && command -v runuser >/dev/null; then
    home="$work/home"
    mkdir -p "$home"
    chown nobody "$home"
    chmod 755 "$work" "$root" "$root/usr" "$root/usr/bin"
    runuser -u nobody -- env -u XDG_RUNTIME_DIR HOME="$home" XDG_CONFIG_HOME="$home/.config" \
        "$root/usr/bin/vistametra-report" --summary >/dev/null 2>"$work/err" ||
        fail "the tool does not run as a user"
    [ ! -s "$work/err" ] || fail "the tool wrote on stderr as a user: $(cat "$work/err")"
    [ ! -e "$home/Documents" ] || fail "a run that saved nothing made $(ls -R "$home")"
else
    echo "(the documents-folder check needs root to run the copy as another user)"
fi

# A fatal error: the program cannot reach a display. Prints the error box's text, the same as
# the log's, on stderr.
called_from() {
    local dir="$work/run-$1"
    mkdir -p "$dir"
    (cd "$dir" && env DISPLAY=:999 QT_QPA_PLATFORM=xcb "$root/usr/bin/vistametra" >/dev/null 2>stderr)
    # The box's lines end in CR LF; each level once, in the order of the chain.
    grep -ho 'Called from [^<]*' "$dir"/stderr "$dir"/*.htm 2>/dev/null | tr -d '\r' | awk '!seen[$0]++'
}
step "a fatal error without the debug package"
chain=$(called_from plain)
echo "$chain" | grep -q '^Called from vm::RunProgram(0)$' ||
    fail "the chain does not name vm::RunProgram (line 0): $chain"
echo "$chain" | grep -q '^Called from main(0)$' || fail "the chain does not name main: $chain"
if echo "$chain" | grep -E '\?\?|\[vistametra\]|0x[0-9a-f]+'; then
    fail "the chain has unnamed levels of our own: $chain"
fi

step "the same error with the debug package"
dpkg-deb -x "$ddeb" "$root" || fail "the debug package does not unpack"
chain=$(called_from debug)
echo "$chain" | grep -Eq '^Called from vm::RunProgram\([1-9][0-9]*\)$' ||
    fail "no line number for vm::RunProgram with the debug package: $chain"
echo "$chain" | grep -Eq '^Called from main\([1-9][0-9]*\)$' ||
    fail "no line number for main with the debug package: $chain"
step "packages $(basename "$deb") and $(basename "$ddeb") pass"
