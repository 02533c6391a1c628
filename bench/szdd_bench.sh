#!/usr/bin/env bash
# Compares our SZDD writer and reader with Debian's mscompress/msexpand and
# with the LZCopy of Wine's LZ32 (through tests/e2e/programs/lzexpand.cpp) on
# a corpus of texts and binaries taken from this machine. Run by hand:
#
#   bench/szdd_bench.sh [RESULT.md]        (Markdown tables; default stdout)
#   bench/szdd_bench.sh --large [RESULT.md] (the large file only)
#
# Environment: SZDD_BENCH_DIR work directory (default /tmp/szdd-bench),
# SZDD_BENCH_REPEATS best of N runs (default 3), SZDD_BENCH_LARGE the file
# for whole-process throughput and peak memory (default /usr/bin/cmake),
# SZDD_BENCH_BEFORE a setup-compress to compare there, WINE64 (default
# /usr/lib/wine/wine64), WINEPREFIX_TEMPLATE a ready prefix to copy instead
# of running wineboot. Needs g++, mscompress, msexpand; the Wine columns also
# x86_64-w64-mingw32-g++ and wine64 (left out when missing).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
work=${SZDD_BENCH_DIR:-/tmp/szdd-bench}
repeats=${SZDD_BENCH_REPEATS:-3}
wine=${WINE64:-/usr/lib/wine/wine64}
only_large=0
if [[ ${1:-} == --large ]]; then
  only_large=1
  shift
fi
result=${1:-/dev/stdout}
bin=$work/bin

# NAME=SOURCE: the media name the file gets, and where it comes from.
corpus=(
  "BSD.TXT=/usr/share/common-licenses/BSD"
  "SERVICES.TXT=/etc/services"
  "GPL3.TXT=/usr/share/common-licenses/GPL-3"
  "NEWS.GZ=/usr/share/doc/libgnutls30/NEWS.gz"
  "ZLIB1.DLL=/usr/x86_64-w64-mingw32/lib/zlib1.dll"
  "LS.BIN=/usr/bin/ls"
  "PTHREAD.DLL=/usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll"
  "BASH.BIN=/usr/bin/bash"
  "GOMP.DLL=/usr/lib/gcc/x86_64-w64-mingw32/12-win32/libgomp-1.dll"
  "LIBC.SO=/usr/lib/x86_64-linux-gnu/libc.so.6"
)

log() { printf '%s\n' "$*" >&2; }

build() {
  mkdir -p "$bin"
  local flags=(-std=c++20 -O2 -DNDEBUG -Wall -Wextra -Werror -I"$root/base")
  g++ "${flags[@]}" "$root/tools/szdd/main.cpp" "$root/base/szdd.cpp" "$root/base/szdd_writer.cpp" -o "$bin/setup-compress"
  g++ "${flags[@]}" "$root/bench/szdd_expand_bench.cpp" "$root/base/szdd.cpp" "$root/base/szdd_writer.cpp" -o "$bin/szdd_expand_bench"
  have_wine=0
  if ((!only_large)) && command -v x86_64-w64-mingw32-g++ >/dev/null && [[ -x $wine ]]; then
    x86_64-w64-mingw32-g++ "${flags[@]}" -static "$root/tests/e2e/programs/lzexpand.cpp" -o "$bin/lzexpand.exe"
    have_wine=1
  fi
}

prepare_corpus() {
  local dirs=("$work/corpus" "$work/ms" "$work/ms-x" "$work/ours" "$work/ours-x" "$work/msx" "$work/winex")
  rm -rf "${dirs[@]}"
  mkdir -p "${dirs[@]}"
  names=()
  local entry name source
  for entry in "${corpus[@]}"; do
    name=${entry%%=*}
    source=${entry#*=}
    if [[ -f $source ]]; then
      cp -L "$source" "$work/corpus/$name"
      cp -L "$source" "$work/ms/$name"
      names+=("$name")
    else
      log "skipped $name: $source is missing"
    fi
  done
  : >"$work/corpus/EMPTY.TXT"
}

# Best wall time of `repeats` runs of a command, in microseconds.
best_us() {
  local best=-1 start end i
  for ((i = 0; i < repeats; i++)); do
    start=$(date +%s%N)
    "$@"
    end=$(date +%s%N)
    local us=$(((end - start) / 1000))
    if ((best < 0 || us < best)); then best=$us; fi
  done
  echo "$best"
}

ms() { awk -v us="$1" 'BEGIN { printf "%.1f", us / 1000 }'; }
size_of() { stat -c %s "$1"; }
packed_name() { echo "${1%?}_"; }
windows_path() { echo "Z:${1//\//\\}"; }

ours_compress() { "$bin/setup-compress" -f -o "$work/ours" "$work/corpus/$1" 2>/dev/null; }
ms_compress() { rm -f "$work/ms/$1_" && mscompress "$work/ms/$1" >/dev/null; }
ours_expand() { "$bin/setup-compress" -f -d -o "$work/ours-x" "$work/ours/$(packed_name "$1")"; }
ms_expand() { msexpand <"$work/ours/$(packed_name "$1")" >"$work/msx/$1"; }
# Output to a file: Wine's helper processes would keep a pipe open.
wine_expand() {
  WINEPREFIX=$work/prefix WINEDEBUG=-all timeout 120 "$wine" "$bin/lzexpand.exe" \
    "$(windows_path "$work/ours/$(packed_name "$1")")" "$(windows_path "$work/winex/$1")" \
    >"$work/wine.out" 2>&1 </dev/null
  sed -n 's/^CopyMicroseconds=\([0-9]*\).*/\1/p' "$work/wine.out" >>"$work/wine.times"
}

# Best in-process LZCopy time of the runs since the last call.
best_wine_copy_us() {
  sort -n "$work/wine.times" | head -n1
  : >"$work/wine.times"
}

start_wine() {
  ((have_wine)) || return 0
  if [[ ! -d $work/prefix ]]; then
    if [[ -n ${WINEPREFIX_TEMPLATE:-} && -d $WINEPREFIX_TEMPLATE ]]; then
      cp -a "$WINEPREFIX_TEMPLATE" "$work/prefix"
    else
      log "making a Wine prefix in $work/prefix"
      WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
        timeout 300 "$wine" wineboot -i >/dev/null 2>&1 </dev/null
    fi
  fi
  # A persistent server keeps start-up costs steady between the runs.
  WINEPREFIX=$work/prefix timeout 60 "$(dirname "$wine")/wineserver" -p >/dev/null 2>&1 </dev/null
  ours_compress EMPTY.TXT
  wine_expand EMPTY.TXT # warm-up
  best_wine_copy_us >/dev/null
}

stop_wine() {
  ((have_wine)) || return 0
  WINEPREFIX=$work/prefix timeout 60 "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
}

same() { cmp -s "$1" "$2" && echo ok || echo FAIL; }

# "SECONDS KIB": best wall time and largest resident set of `repeats` runs.
best_time_and_rss() {
  local best=-1 peak=0 seconds kib i
  for ((i = 0; i < repeats; i++)); do
    /usr/bin/time -o "$work/time.out" -f '%e %M' "$@" >/dev/null 2>&1
    read -r seconds kib <"$work/time.out"
    if awk -v s="$seconds" -v b="$best" 'BEGIN { exit !(b < 0 || s < b) }'; then best=$seconds; fi
    ((kib > peak)) && peak=$kib
  done
  echo "$best $peak"
}

large_row() {
  local label=$1 size=$2 seconds kib
  shift 2
  read -r seconds kib < <(best_time_and_rss "$@")
  echo "| $label | $seconds | $(awk -v n="$size" -v s="$seconds" 'BEGIN { printf "%.1f", n / s / 1e6 }') |" \
    "$kib | $(awk -v n="$size" -v k="$kib" 'BEGIN { printf "%.1f", k * 1024 / n }') |"
}

# Whole processes on one large file: throughput and peak resident memory.
measure_large() {
  local source=${SZDD_BENCH_LARGE:-/usr/bin/cmake} before=${SZDD_BENCH_BEFORE:-}
  [[ -f $source ]] || { log "skipped the large file: $source is missing"; return 0; }
  mkdir -p "$work/large"
  cp -L "$source" "$work/large/LARGE.BIN"
  local size
  size=$(size_of "$work/large/LARGE.BIN")
  log "compressing $source whole"
  echo "### $source ($size bytes), whole process"
  echo
  echo "| compressor | best s | MB/s | peak RSS KiB | RSS per input byte |"
  echo "|---|---:|---:|---:|---:|"
  large_row "setup-compress" "$size" "$bin/setup-compress" -f -o "$work/large/out" "$work/large/LARGE.BIN"
  [[ -n $before ]] && large_row "setup-compress before" "$size" "$before" -f -o "$work/large/out" "$work/large/LARGE.BIN"
  large_row "mscompress" "$size" sh -c 'rm -f "$1_" && mscompress "$1"' - "$work/large/LARGE.BIN"
}

machine() {
  # shellcheck source=/dev/null
  echo "- $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'), $(nproc) cores," \
    "$(uname -sr), $(. /etc/os-release && echo "$PRETTY_NAME")"
  echo "- $(g++ --version | head -n1); mscompress $(dpkg-query -W -f '${Version}' mscompress 2>/dev/null);" \
    "$("$wine" --version 2>/dev/null || echo 'no Wine')"
  echo "- best of $repeats runs; times are wall-clock milliseconds of whole processes"
}

measure() {
  local failures=0 name size ours theirs ties=()
  local total_in=0 total_ours=0 total_theirs=0
  echo "### Compressed size and compression time"
  echo
  echo "| file | size | ours | mscompress | ours/theirs | ours ms | mscompress ms | ours in memory ms (MB/s) | we read theirs |"
  echo "|---|---:|---:|---:|---:|---:|---:|---:|---|"
  for name in "${names[@]}"; do
    log "compressing $name"
    local ours_us theirs_us
    ours_us=$(best_us ours_compress "$name")
    theirs_us=$(best_us ms_compress "$name")
    size=$(size_of "$work/corpus/$name")
    ours=$(size_of "$work/ours/$(packed_name "$name")")
    theirs=$(size_of "$work/ms/${name}_")
    if ((ours == theirs)); then
      ties+=("$name")
    elif ((ours > theirs)); then
      failures=$((failures + 1))
    fi
    local read_theirs in_memory
    in_memory=$("$bin/szdd_expand_bench" -n "$repeats" "$work/corpus/$name" | awk 'NR == 2 { print $4 " (" $5 ")" }')
    "$bin/setup-compress" -f -d -o "$work/ms-x" "$work/ms/${name}_"
    read_theirs=$(same "$work/corpus/$name" "$work/ms-x/$name")
    [[ $read_theirs == ok ]] || failures=$((failures + 1))
    total_in=$((total_in + size)) total_ours=$((total_ours + ours)) total_theirs=$((total_theirs + theirs))
    echo "| $name | $size | $ours | $theirs | $(awk -v a="$ours" -v b="$theirs" 'BEGIN { printf "%.2f%%", 100 * a / b }') |" \
      "$(ms "$ours_us") | $(ms "$theirs_us") | $in_memory | $read_theirs |"
  done
  echo "| total | $total_in | $total_ours | $total_theirs |" \
    "$(awk -v a="$total_ours" -v b="$total_theirs" 'BEGIN { printf "%.2f%%", 100 * a / b }') | | | | |"
  if ((${#ties[@]})); then
    echo
    echo "Equal size (both parses optimal, e.g. on incompressible data): ${ties[*]}"
  fi
  echo
  echo "### Expansion of our files"
  echo
  local wine_header="" wine_rule=""
  if ((have_wine)); then
    wine_header=" Wine process ms | Wine LZCopy ms | Wine same |"
    wine_rule="---:|---:|---|"
  fi
  echo "| file | ours -d ms | msexpand ms | ours same | msexpand same | ours in memory ms (MB/s) |$wine_header"
  echo "|---|---:|---:|---|---|---:|$wine_rule"
  for name in "${names[@]}"; do
    log "expanding $name"
    local ours_us theirs_us rate wine_cells=""
    ours_us=$(best_us ours_expand "$name")
    theirs_us=$(best_us ms_expand "$name")
    rate=$("$bin/szdd_expand_bench" -n 5 "$work/ours/$(packed_name "$name")" | awk 'NR == 2 { print $6 " (" $7 ")" }')
    local ours_same theirs_same
    ours_same=$(same "$work/corpus/$name" "$work/ours-x/$name")
    theirs_same=$(same "$work/corpus/$name" "$work/msx/$name")
    [[ $ours_same == ok && $theirs_same == ok ]] || failures=$((failures + 1))
    if ((have_wine)); then
      local wine_us wine_copy_us wine_same
      wine_us=$(best_us wine_expand "$name")
      wine_copy_us=$(best_wine_copy_us)
      wine_same=$(same "$work/corpus/$name" "$work/winex/$name")
      [[ $wine_same == ok ]] || failures=$((failures + 1))
      wine_cells=" $(ms "$wine_us") | $(ms "$wine_copy_us") | $wine_same |"
    fi
    echo "| $name | $(ms "$ours_us") | $(ms "$theirs_us") | $ours_same | $theirs_same | $rate |$wine_cells"
  done
  if ((have_wine)); then
    echo
    echo "Wine process on an empty file (start-up): $(ms "$(best_us wine_expand EMPTY.TXT)") ms." \
      "\"Wine LZCopy\" is timed inside lzexpand.exe (opens, LZCopy, closes)."
  fi
  return $((failures > 0))
}

main() {
  build
  if ((only_large)); then
    measure_large >"$result"
    return
  fi
  prepare_corpus
  start_wine
  trap stop_wine EXIT
  local status=0
  {
    echo "## SZDD benchmark, $(date -u +%Y-%m-%d)"
    echo
    machine
    echo
    measure || status=1
    echo
    measure_large
  } >"$result"
  ((status == 0)) || log "FAILED: a file came out larger than mscompress's or did not expand to its original"
  return $status
}

main "$@"
