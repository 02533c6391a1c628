#!/usr/bin/env bash
# Building media for 100 files of 100 KB to 2 MB with setup-media, against
# compressing the same files by hand with mscompress in a shell loop (which
# leaves the disks, the list and the versions still to do). Needs the host
# build (build/host/bin/setup-media) and mscompress. Also times the
# simulation of the built media.
#
#   bench/media_bench.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${TMPDIR:-/tmp}/setup-media-bench
rm -rf "$work"
mkdir -p "$work/files" "$work/hand"
. "$root/bench/corpus.sh"
make_corpus "$work"

start=$(date +%s.%N)
"$root/build/host/bin/setup-media" build "$work/media.ini" -o "$work/media" | tail -1
tool=$(echo "$(date +%s.%N) - $start" | bc)
ours=$(du -cb "$work"/media/DISK*/F*.DL? | tail -1 | cut -f1)

# Rehearsing the whole bootstrap of those media (every disk asked for and
# inserted), with the picture of the splash window.
start=$(date +%s.%N)
"$root/build/host/bin/setup-media" simulate "$work/media" --picture "$work/splash.png" | grep -c '^box "Please insert Disk' |
  sed 's/^/disk requests answered: /'
simulate=$(echo "$(date +%s.%N) - $start" | bc)

start=$(date +%s.%N)
for file in "$work"/files/F*.DLL; do mscompress "$file" >/dev/null 2>&1; done
hand=$(echo "$(date +%s.%N) - $start" | bc)
theirs=$(du -cb "$work"/files/F*.DLL_ | tail -1 | cut -f1)

echo "| way | seconds | compressed bytes |"
echo "|---|---:|---:|"
printf '| setup-media build (whole media: disks, list, versions) | %.1f | %s |\n' "$tool" "$ours"
printf '| mscompress in a shell loop (files only) | %.1f | %s |\n' "$hand" "$theirs"
printf 'setup-media simulate of those media, with the picture: %.1f s\n' "$simulate"
rm -rf "$work"
