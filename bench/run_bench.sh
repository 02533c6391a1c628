#!/usr/bin/env bash
# Whole runs on the simulated machine, release build without sanitizers:
# the example machine and sectioned lists of 1,000 and 10,000 entries.
#
#   bench/run_bench.sh [REPEATS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/bench
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSETUP_SANITIZE=OFF -DSETUP_E2E=OFF >/dev/null
fi
cmake --build "$build" --target run_bench >/dev/null
"$build/bin/run_bench" "$root/examples/simulated" "${1:-5}"
