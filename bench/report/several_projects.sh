#!/usr/bin/env bash
# Times vistametra-report on 200 project files: once all of them in one run (--jsonl), once 200
# runs of one file each, as a batch did before the tool took several files. Prints
#   one_run SECONDS
#   single_runs SECONDS
# and checks that both printed the same 200 lines.
# Usage: bench/report/several_projects.sh TOOL [COUNT]
set -euo pipefail
tool=$1
count=${2:-200}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
# Projects of 3 to 42 rows in rooms 10 to 49 m long, as a planner's folder holds them.
for i in $(seq 1 "$count"); do
    "$tool" --set cProjeto="SALA $i" --set nNumeroFilas=$((3 + i % 40)) \
        --set nComprimento=$((10 + i % 40)) --save "sala_$i.qtv" >/dev/null
done
files=()
for i in $(seq 1 "$count"); do files+=("sala_$i.qtv"); done

now() { date +%s.%N; }
start=$(now)
"$tool" "${files[@]}" --jsonl >one.jsonl
middle=$(now)
for f in "${files[@]}"; do "$tool" "$f" --jsonl; done >single.jsonl
end=$(now)
cmp -s one.jsonl single.jsonl || { echo "the two ways printed different lines" >&2; exit 1; }
[ "$(wc -l <one.jsonl)" -eq "$count" ] || { echo "not $count lines" >&2; exit 1; }
awk -v a="$start" -v b="$middle" -v c="$end" 'BEGIN { printf "one_run %.3f\nsingle_runs %.3f\n", b - a, c - b }'
