#!/usr/bin/env bash
# Builds the .deb with CPack, unpacks it into a scratch root and runs the installed tool from
# there: its files, its dependencies, its desktop entry, and where an installed copy saves.
set -u
build=$1
work=$(mktemp -d /tmp/vm-install-XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log"; fail "cpack could not build the package"; }
deb=$(ls "$work"/pkg/*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no .deb was written"

depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libqt6printsupport6 fonts-liberation2 libcups2 qt6-translations-l10n; do
    [[ $depends == *"$dep"* ]] || fail "Depends lacks $dep: $depends"
done

root="$work/root"
dpkg-deb -x "$deb" "$root" || fail "the package does not unpack"
for f in usr/bin/vistametra usr/bin/vistametra-report usr/share/applications/vistametra.desktop \
         usr/share/icons/hicolor/48x48/apps/vistametra.png \
         usr/share/icons/hicolor/scalable/apps/vistametra.svg; do
    [ -e "$root/$f" ] || fail "the package lacks /$f"
done
grep -q '^Categories=.*Office;.*Engineering;' "$root/usr/share/applications/vistametra.desktop" ||
    fail "the desktop entry is not in Office/Engineering"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/usr/share/applications/vistametra.desktop" || fail "desktop entry"
fi

summary=$("$root/usr/bin/vistametra-report") || fail "the installed tool does not run"
[ "$(echo "$summary" | head -n 1)" = 'L:  3.88 m    A:  2.43 m    D: 180.14"' ] ||
    fail "the installed tool printed: $summary"

# An installed copy cannot write beside itself: its projects go to the documents folder.
if [ "$(id -u)" -eq 0 ] && command -v runuser >/dev/null; then
    home="$work/home"
    mkdir -p "$home"
    chown nobody "$home"
    chmod 755 "$work" "$root" "$root/usr" "$root/usr/bin"
    chmod 555 "$root/usr/bin"
    runuser -u nobody -- env HOME="$home" XDG_CONFIG_HOME="$home/.config" \
        "$root/usr/bin/vistametra-report" --summary >/dev/null || fail "the tool does not run as a user"
    [ -d "$home/Documents/Vistametra" ] || fail "no Documents/Vistametra folder was made for projects"
else
    echo "(the documents-folder check needs root to run the copy as another user)"
fi
echo "package $(basename "$deb") installs and runs"
