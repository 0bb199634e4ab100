#!/usr/bin/env bash
# Makes the README's pictures of the sightline analysis with the project's own programs: the
# window "Visibilidade dos Assentos" in a real X server (the default project, and a hall 20 x 14 m
# with 15 rows on a flat floor, opened with Arquivo > Abrir), and the analysis pages that
# vistametra-report --analysis adds to the report for the same two projects, and the hall's DXF
# drawing rendered by ezdxf (python3-ezdxf, python3-matplotlib).
# Usage: tools/make-analysis-pictures.sh [build folder]   (needs xvfb, xdotool and ImageMagick)
set -euo pipefail
. "$(dirname "$0")/pictures_common.sh" "$@"

# The hall.
hall_sets=(--set cProjeto=SALAO --set nComprimento=20 --set nLargura=14 --set nPeDireito=5
           --set nNumeroFilas=15 --set nAlturaFila2=0 --set nTelaTopo=4.5 --set nTelaLargura=4.8
           --set nTelaAltura=3)
"$build/vistametra-report" "${hall_sets[@]}" --save "$work/SALAO.qtv" >/dev/null 2>&1

shoot() {  # $1 picture, $2 project file to open first ("" for none)
    in_program_x 1280x1024 '
        xdotool windowfocus --sync "$main"
        if [ -n "$2" ]; then
            xdotool key alt+a
            sleep 0.3
            xdotool key a
            sleep 1
            xdotool type --delay 20 "$2"
            xdotool key Return
            sleep 1
            xdotool windowfocus --sync "$main"
        fi
        xdotool key alt+n
        sleep 0.5
        xdotool key Return
        wid=$(wait_window "^Visibilidade dos Assentos$")
        sleep 1.5
        grab "$wid" "$work/$1"' "$1" "$2"
    convert "$work/$1" -strip "$out/$1"
}
shoot analysis-window.png ""
shoot analysis-window-hall.png "$work/SALAO.qtv"

(cd "$work" && "$build/vistametra-report" --analysis -o default.png >/dev/null 2>&1 &&
    "$build/vistametra-report" --analysis "${hall_sets[@]}" -o hall.png >/dev/null 2>&1)
# The analysis's two pages are the last two of each set.
for set in default hall; do
    name=analysis-pages${set/#default/}; name=${name/hall/-hall}
    convert $(ls "$work/${set}"_0*.png | tail -n 2) -resize 420x -bordercolor '#888888' \
        -border 1 +append -strip -quality 85 "$out/$name.jpg"
done
(cd "$work" && "$build/vistametra-report" "${hall_sets[@]}" -o hall.dxf >/dev/null 2>&1)
/usr/bin/python3 "$root/tools/render-dxf.py" "$work/hall.dxf" "$work/hall-dxf.png" 2>/dev/null
convert "$work/hall-dxf.png" -trim -bordercolor white -border 20 -strip "$out/dxf-hall.png"
ls -l "$out"
