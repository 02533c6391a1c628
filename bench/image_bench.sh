#!/usr/bin/env bash
# Disk images of the 12-disk media of bench/media_bench.sh (100 libraries
# of 100 KB to 2 MB): setup-media build --images, against mformat and mcopy
# by hand in a shell loop over the same disk folders; then the same files
# as one CD, against xorriso by hand. Needs the host build, mtools and
# xorriso.
#
#   bench/image_bench.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tool=$root/build/host/bin/setup-media
work=${TMPDIR:-/tmp}/setup-image-bench
rm -rf "$work"
mkdir -p "$work/files"
. "$root/bench/corpus.sh"
make_corpus "$work"
export SOURCE_DATE_EPOCH=1000000000 MTOOLSRC=/dev/null MTOOLS_SKIP_CHECK=1 TZ=UTC0

seconds() {  # command...: the wall time of the command, in seconds
  local start
  start=$(date +%s.%N)
  "$@" >/dev/null
  echo "$(date +%s.%N) - $start" | bc
}

# The image step alone: from the table, printed once the folders are
# written, to the end of the run.
stamp() { while IFS= read -r line; do printf '%s %s\n' "$EPOCHREALTIME" "$line"; done; }
image_seconds() {  # build arguments...
  local start end
  "$tool" build "$work/media.ini" "$@" | stamp >"$work/stamps"
  end=$EPOCHREALTIME
  start=$(grep ' disk(s), ' "$work/stamps" | cut -d' ' -f1)
  echo "$end - $start" | bc
}
with=$(seconds "$tool" build "$work/media.ini" -o "$work/timed" --images)
images=$(image_seconds -o "$work/ours" --images)
sums() { (cd "$1" && find . -type f | sort | xargs sha256sum); }
same=$([ "$(sums "$work/timed")" = "$(sums "$work/ours")" ] && echo identical || echo DIFFERENT)
without=$(seconds "$tool" build "$work/media.ini" -o "$work/plain")
count() { find "$1" -maxdepth 1 -type d -name 'DISK*' | wc -l; }
disks=$(count "$work/ours")

hand_floppies() {
  for dir in "$work"/ours/DISK?/ "$work"/ours/DISK??/; do
    [ -d "$dir" ] || continue
    local image=$work/hand/$(basename "$dir").IMG
    mformat -C -i "$image" -f 1440 -v BENCH ::
    mcopy -m -i "$image" "$dir"* ::
  done
}
mkdir -p "$work/hand"
hand=$(seconds hand_floppies)

cd_images=$(image_seconds -o "$work/cd" --disk-size cd --images)
hand_iso=$(seconds xorriso -no_rc -outdev "stdio:$work/hand/DISK1.ISO" -volid BENCH -joliet on -rockridge off \
  -map "$work/cd/DISK1" / -commit)

echo "| way | seconds | images | image bytes |"
echo "|---|---:|---:|---:|"
printf '| setup-media build --images (%d disks: folders and images) | %.2f | %d | |\n' "$disks" "$with" "$disks"
printf '| setup-media build (%d disks: folders only, laid out by bytes) | %.2f | 0 | |\n' "$(count "$work/plain")" "$without"
printf '| the images of setup-media build --images alone | %.2f | %d | %s |\n' "$images" "$disks" \
  "$(du -cb "$work"/ours/*.IMG | tail -1 | cut -f1)"
printf '| mformat + mcopy by hand in a shell loop (images only) | %.2f | %d | %s |\n' "$hand" "$disks" \
  "$(du -cb "$work"/hand/*.IMG | tail -1 | cut -f1)"
printf '| the image of setup-media build --disk-size cd --images alone | %.2f | 1 | %s |\n' "$cd_images" \
  "$(stat -c %s "$work/cd/DISK1.ISO")"
printf '| xorriso by hand (image only) | %.2f | 1 | %s |\n' "$hand_iso" "$(stat -c %s "$work/hand/DISK1.ISO")"
echo "two builds with images, folders and images by SHA-256: $same"
rm -rf "$work"
