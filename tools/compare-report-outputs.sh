#!/bin/sh
# Compares what two vistametra-report binaries write for the default report and --analysis:
# page files, PNG, SVG and DXF byte for byte, PDFs by their text (pdftotext) and their pixels
# (pdftoppm at 100 dpi).
#   tools/compare-report-outputs.sh OLD/vistametra-report NEW/vistametra-report
set -eu
old=$(realpath "$1")
new=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for run in default analysis; do
    for side in old new; do
        mkdir -p "$work/$side/$run"
        bin=$old
        [ "$side" = new ] && bin=$new
        args=""
        [ "$run" = analysis ] && args="--analysis"
        for suffix in pdf svg png emf dxf; do
            (cd "$work/$side/$run" && "$bin" $args -o "rel.$suffix" >/dev/null)
        done
        pdftotext -layout "$work/$side/$run/rel.pdf" "$work/$side/$run/rel.pdf.txt"
        pdftoppm -r 100 -png "$work/$side/$run/rel.pdf" "$work/$side/$run/pdfpage"
    done
    for file in $(cd "$work/old/$run" && ls | grep -v '^rel\.pdf$'); do
        if cmp -s "$work/old/$run/$file" "$work/new/$run/$file"; then
            echo "same      $run/$file"
        else
            echo "DIFFERENT $run/$file"
            status=1
        fi
    done
    if [ "$(ls "$work/old/$run" | wc -l)" != "$(ls "$work/new/$run" | wc -l)" ]; then
        echo "DIFFERENT $run: not the same files"
        status=1
    fi
done
exit $status
