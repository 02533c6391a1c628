#!/usr/bin/env python3
"""Writes resources/setup.ico: a box with an arrow into it, 16x16 and 32x32.

Four colours need no more than a 16-colour palette; transparency comes from
the AND mask. That keeps the icon under a fifth of a 32-bit one, which
counts on a program that stands on every installation disk."""
import struct
import sys

# Palette (BGRA): transparent (drawn through the mask), arrow, rim, box.
PALETTE = [(0, 0, 0, 0), (0x20, 0x90, 0x20, 0), (0x50, 0x30, 0x10, 0), (0xD0, 0x90, 0x40, 0)]


def colour(x, y, size):
    s = size / 32.0
    box = 6 * s <= x < 26 * s and 14 * s <= y < 28 * s
    rim = box and (x < 8 * s or x >= 24 * s or y >= 26 * s or y < 16 * s)
    shaft = 14 * s <= x < 18 * s and 3 * s <= y < 14 * s
    head = 10 * s <= y < 20 * s and abs(x + 0.5 - 16 * s) < (20 * s - y)
    if shaft or head:
        return 1
    if rim:
        return 2
    if box:
        return 3
    return 0


def padded(row):
    return row + bytes(-len(row) % 4)


def image(size):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(bytes(c) for c in PALETTE + [(0, 0, 0, 0)] * (16 - len(PALETTE)))
    rows, masks = b'', b''
    for y in reversed(range(size)):
        indices = [colour(x, y, size) for x in range(size)]
        rows += padded(bytes((indices[x] << 4) | indices[x + 1] for x in range(0, size, 2)))
        bits = [1 if i == 0 else 0 for i in indices]
        masks += padded(bytes(sum(bits[x + b] << (7 - b) for b in range(8)) for x in range(0, size, 8)))
    return header + palette + rows + masks


def main(path):
    images = [image(16), image(32)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((16, 32), images):
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'resources/setup.ico')
