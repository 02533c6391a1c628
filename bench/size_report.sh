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
  objdump -h "$dir/SETUP.EXE" | python3 -c '
import sys
for line in sys.stdin:
    parts = line.split()
    if len(parts) > 2 and parts[0].isdigit():
        print(f"  {parts[1]:10} {int(parts[2], 16):6}")'
done

echo "Largest input sections of $win32/SETUP.map:"
# A map line names a section, its size and the object it came from; a long
# section name puts the numbers on the next line.
python3 - "$win32/SETUP.map" <<'PYTHON'
import re
import sys

pieces, pending = [], None
for line in open(sys.argv[1], encoding="latin-1"):
    if pending and re.match(r"^\s+0x", line):
        _, size, origin = line.split()[:3]
        pieces.append((int(size, 16), pending, origin))
        pending = None
        continue
    match = re.match(r"^ (\.(?:text|rdata|data|eh_frame|rsrc)\S*)(?:\s+0x\S+\s+(0x\S+)\s+(\S+))?", line)
    if match and match.group(2):
        pieces.append((int(match.group(2), 16), match.group(1), match.group(3)))
    elif match:
        pending = match.group(1)
for size, section, origin in sorted(pieces, reverse=True)[:15]:
    print(f"  {size:6}  {section[:40]:40}  {origin.split('/')[-1]}")
PYTHON
