#!/usr/bin/env bash
# Generates the Brazilian locale pt_BR.UTF-8 (decimal mark ",") into a private folder, for the
# tests: LOCPATH=FOLDER makes it available without touching the system's locales.
# Usage: tools/make-test-locale.sh FOLDER      (needs the Debian package "locales")
set -euo pipefail
folder=$1
target="$folder/pt_BR.UTF-8"
[ -f "$target/LC_NUMERIC" ] && exit 0
mkdir -p "$folder"
# localedef exits 1 on mere warnings; the files it wrote decide.
localedef -i pt_BR -f UTF-8 "$target" || true
if [ ! -f "$target/LC_NUMERIC" ]; then
    echo "make-test-locale: cannot generate pt_BR.UTF-8 into $folder (is \"locales\" installed?)" >&2
    exit 1
fi
