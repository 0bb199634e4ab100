#!/usr/bin/env bash
# Installs the Debian packages listed in the given files that are not installed yet.
# Usage: tools/install-packages.sh LIST...
set -euo pipefail
wanted=()
for list in "$@"; do
    while read -r line; do
        line=${line%%#*}
        line=$(echo "$line" | xargs)
        [ -n "$line" ] && wanted+=("$line")
    done <"$list"
done
missing=()
for p in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
