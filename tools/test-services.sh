#!/usr/bin/env bash
# Services the tests use beside the build: a running CUPS scheduler with one cups-pdf print queue,
# "VistametraPDF", whose PDF files land in a folder of its own (named in the queue's cups-pdf
# configuration, /etc/cups/cups-pdf-vistametra.conf). The queue becomes the default only when the
# system has no default printer; the tests choose it by name.
#
# Installs nothing (tools/test-packages.txt lists cups and printer-driver-cups-pdf). Where the
# scheduler cannot be started or the queue cannot be added, it says so and exits 0: the printing
# tests then report themselves skipped with the reason.
set -uo pipefail

queue=VistametraPDF
instance=vistametra
conf=/etc/cups/cups-pdf-$instance.conf
out=/var/spool/cups-pdf/VISTAMETRA

note() { echo "test-services: $*" >&2; }

if ! command -v cupsd >/dev/null || ! command -v lpadmin >/dev/null; then
    note "CUPS is not installed; printing tests will be skipped"
    exit 0
fi
if [ ! -x /usr/lib/cups/backend/cups-pdf ]; then
    note "the cups-pdf back end is not installed; printing tests will be skipped"
    exit 0
fi

scheduler_up() { lpstat -r 2>/dev/null | grep -q "is running"; }

if ! scheduler_up; then
    if ! cupsd 2>/dev/null; then
        note "cupsd could not be started; printing tests will be skipped"
        exit 0
    fi
    for _ in $(seq 1 50); do
        scheduler_up && break
        sleep 0.1
    done
    if ! scheduler_up; then
        note "cupsd did not come up; printing tests will be skipped"
        exit 0
    fi
fi

# The queue's own cups-pdf settings: output folder readable by the tests, the job id in front of
# each file name (so no job overwrites another) and the file named from the job's title.
if [ -w /etc/cups ]; then
    cat >"$conf" <<EOF
# Written by tools/test-services.sh for the Vistametra print tests.
Out $out
AnonDirName $out
Label 1
TitlePref 1
UserUMask 0022
Grp lpadmin
DecodeHexStrings 1
EOF
    mkdir -p "$out"
    chmod 0755 "$out"
fi

if ! lpstat -p "$queue" >/dev/null 2>&1; then
    model=$(lpinfo -m 2>/dev/null | awk '/CUPS-PDF_noopt\.ppd/ {print $1; exit}')
    [ -n "$model" ] || model=$(lpinfo -m 2>/dev/null | awk 'tolower($0) ~ /cups-pdf/ {print $1; exit}')
    if [ -z "$model" ]; then
        note "no cups-pdf model found by lpinfo -m; printing tests will be skipped"
        exit 0
    fi
    if ! lpadmin -p "$queue" -E -v "cups-pdf:/$instance" -m "$model" 2>/dev/null; then
        note "lpadmin could not add $queue; printing tests will be skipped"
        exit 0
    fi
fi
cupsenable "$queue" 2>/dev/null
cupsaccept "$queue" 2>/dev/null

if ! lpstat -d 2>/dev/null | grep -q "system default destination:"; then
    lpadmin -d "$queue" 2>/dev/null
fi
note "print queue $queue ready, PDF files in $out"
exit 0
