#!/usr/bin/env bash
# Builds bench_download and downloads a 100 MiB body from a loopback server with the update's own
# transfer (large receives written to the installer's file in blocks of 64 KiB or more) and with
# curl, printing time and peak memory of both.
# Usage: bench/download/run.sh [build folder] [extra bench_download options...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-$root/build-bench}"
shift || true
command -v curl >/dev/null || { echo "curl is not installed (apt-get install curl)" >&2; exit 1; }
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVISTAMETRA_GUI=OFF \
        -DVISTAMETRA_BENCH=ON -DVISTAMETRA_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target bench_download | tail -3
exec "$build/bench_download" --size $((100 * 1024 * 1024)) "$@"
