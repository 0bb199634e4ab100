#!/usr/bin/env bash
# Times the seat-by-seat analysis of a 34,000-seat arena written as one PDF: 400 rows in a room
# 60 m wide and 420 m long, every row 0.10 m above the one in front. Prints the median of RUNS
#   seconds SECONDS
#   peak_kib KIB      (the largest resident size of those runs)
# and checks that every run wrote a PDF that pdfinfo reads.
# Usage: bench/report/arena_analysis.sh TOOL [RUNS]
set -euo pipefail
tool=$1
runs=${2:-3}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
"$tool" --set cProjeto=ARENA --set nLargura=60 --set nComprimento=420 --set nPeDireito=60 \
    --set nNumeroFilas=400 --set nDistEntreFilas=1 --set nAlturaFila2=0.1 \
    --save arena.qtv >/dev/null
for _ in $(seq "$runs"); do
    rm -f arena.pdf
    /usr/bin/time -f '%e %M' -o one.txt "$tool" arena.qtv --analysis -o arena.pdf >/dev/null
    pdfinfo arena.pdf >/dev/null || { echo "the arena's PDF does not parse" >&2; exit 1; }
    cat one.txt >>all.txt
done
awk '{print $1}' all.txt | sort -n |
    awk '{a[NR]=$1} END {printf "seconds %.2f\n", NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'
awk '$2 > m {m = $2} END {print "peak_kib", m}' all.txt
