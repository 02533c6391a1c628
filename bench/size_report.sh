#!/usr/bin/env bash
# Size of the product and of the x86-64 twin, their sections, and the
# largest pieces of the i686 link map. Run after a build of both:
#
#   bench/size_report.sh [BUILD_DIR_I686] [BUILD_DIR_X86_64]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
win32=${1:-$root/build/win32}
win64=${2:-$root/build/win64}

for dir in "$win32" "$win64"; do
  printf '%s: %s bytes\n' "$dir/SETUP.EXE" "$(stat -c %s "$dir/SETUP.EXE")"
  objdump -h "$dir/SETUP.EXE" | awk '/^ +[0-9]+ /{printf "  %-10s %6d\n", $2, strtonum("0x" $3)}'
done

echo "Largest input sections of $win32/SETUP.map:"
# A map line names a section, its size and the object it came from; long
# section names put the numbers on the next line.
awk '
  /^ \.(text|rdata|data|eh_frame|rsrc)/ {
    if (NF >= 4 && $3 ~ /^0x/) { print strtonum($3), $1, $4 } else { pending = $1 }
    next
  }
  pending != "" && /^ +0x/ { print strtonum($2), pending, $3; pending = "" }
' "$win32/SETUP.map" | sort -rn | head -n 15 | sed 's/^/  /'
