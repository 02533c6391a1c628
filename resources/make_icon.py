#!/usr/bin/env python3
"""Writes resources/setup.ico: a box with an arrow into it, 16x16 and 32x32."""
import struct
import sys


def pixel(x, y, size):
    s = size / 32.0
    box = 6 * s <= x < 26 * s and 14 * s <= y < 28 * s
    rim = box and (x < 8 * s or x >= 24 * s or y >= 26 * s or y < 16 * s)
    shaft = 14 * s <= x < 18 * s and 3 * s <= y < 14 * s
    head = 10 * s <= y < 20 * s and abs(x + 0.5 - 16 * s) < (20 * s - y)
    if shaft or head:
        return (0x20, 0x90, 0x20, 0xFF)   # green arrow (BGRA)
    if rim:
        return (0x50, 0x30, 0x10, 0xFF)   # dark blue rim
    if box:
        return (0xD0, 0x90, 0x40, 0xFF)   # light blue box
    return (0, 0, 0, 0)


def image(size):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = b''.join(bytes(c for x in range(size) for c in pixel(x, y, size))
                    for y in reversed(range(size)))
    mask_row = ((size + 31) // 32) * 4
    return header + rows + bytes(mask_row * size)


def main(path):
    images = [image(16), image(32)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((16, 32), images):
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'resources/setup.ico')
