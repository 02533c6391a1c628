#!/usr/bin/env bash
# Processor time that SETUP.EXE uses under Wine while a registration program
# runs for 5 s and while the main setup program runs for 10 s, against a
# build that spins while the registration program runs. Needs the host and
# win64 builds of ./scripts/test; the i686 product is used where 32-bit
# programs run.
#
#   bench/wait_bench.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=build/bench-spin
arch=win64
toolchain=cmake/mingw-x86_64.cmake
if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
  arch=win32
  toolchain=cmake/mingw-i686.cmake
fi
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DSETUP_BENCH_SPIN=ON >/dev/null
fi
cmake --build "$build" --target setup >/dev/null
export SETUP_HOST_BIN=$root/build/host/bin SETUP_WIN32_DIR=$root/build/win32 SETUP_WIN64_DIR=$root/build/win64 \
  SETUP_E2E_WORK_DIR=$root/build/bench-wait SETUP_E2E_BUILD=$arch
exec python3 bench/wait_bench.py "$root/$build/SETUP.EXE"
