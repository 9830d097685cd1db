#!/usr/bin/env python3
"""Draws icon 143: a 32x32, 16-colour yellow warning triangle with a black exclamation mark."""
import struct
import sys

SIZE = 32
# The standard 16-colour palette; index 0 is black, 11 is yellow.
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, YELLOW, TRANSPARENT = 0, 11, None


def inside(x, y, inset):
    """True when the pixel centre lies in the triangle shrunk by 'inset' pixels."""
    top, bottom = 1.0 + inset * 2.2, 30.0 - inset
    cx, cy = x + 0.5, y + 0.5
    if cy < top or cy > bottom:
        return False
    half = (cy - 1.0) * 15.0 / 29.0 - inset * 1.1
    return abs(cx - 16.0) <= half


def pixel(x, y):
    if not inside(x, y, 0):
        return TRANSPARENT
    if not inside(x, y, 1.6):
        return BLACK
    bar = 14 <= x <= 17 and 9 <= y <= 21
    dot = 14 <= x <= 17 and 24 <= y <= 26
    return BLACK if bar or dot else YELLOW


def main(path):
    rows = [[pixel(x, y) for x in range(SIZE)] for y in range(SIZE)]
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # bottom-up, as bitmaps are stored
        for x in range(0, SIZE, 2):
            hi, lo = (c or 0 for c in row[x:x + 2])
            xor.append(hi << 4 | lo)
        bits = 0
        for x, c in enumerate(row):
            if c is TRANSPARENT:
                bits |= 1 << (31 - x)
        mask += struct.pack('>I', bits)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    image = header + palette + xor + mask
    directory = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4,
                                                          len(image), 6 + 16)
    with open(path, 'wb') as f:
        f.write(directory + image)


if __name__ == '__main__':
    main(sys.argv[1])
