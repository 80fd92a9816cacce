#!/usr/bin/env python3
"""Writes the installer's window icon: an install disc over a box, 32x32 and 16x16, 16 colours.

  make_inst_icon.py OUTPUT.ico

16 colours with the standard palette so that every system of the family can show it.
"""
import struct
import sys

# The standard 16-colour palette (blue, green, red, reserved).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
TRANSPARENT = None
BLACK, DARK_GREY, LIGHT_GREY, WHITE = 0, 8, 7, 15
BROWN, YELLOW, CYAN, BLUE = 3, 11, 14, 12  # palette indices (the palette is RGB, stored BGR)


def pixel(size, x, y):
    """Colour index of one pixel (top-down coordinates), or None for transparent."""
    s = size / 32.0
    cx, cy, r = 12 * s, 12 * s, 11 * s
    dx, dy = x + 0.5 - cx, y + 0.5 - cy
    d2 = dx * dx + dy * dy
    # The box, lower right, drawn first so the disc lies over it.
    in_box = 14 * s <= x < 31 * s and 16 * s <= y < 31 * s
    if d2 <= r * r:
        if d2 <= (2.5 * s) ** 2:
            return TRANSPARENT if d2 <= (1.5 * s) ** 2 and not in_box else (BROWN if in_box else BLACK)
        if d2 >= (r - 1.0 * s) ** 2:
            return DARK_GREY
        # A bright streak across the disc.
        if abs(dx + dy) <= 2 * s and dx < 0:
            return WHITE
        return CYAN if dx * dy > 0 else LIGHT_GREY
    if in_box:
        edge = x < 15 * s or x >= 30 * s or y < 17 * s or y >= 30 * s
        if edge:
            return BLACK
        return YELLOW if y < 20 * s else BROWN
    return TRANSPARENT


def image(size):
    """BITMAPINFOHEADER, palette, 4-bit XOR bitmap and 1-bit AND mask, rows bottom-up."""
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor_rows, and_rows = [], []
    for y in reversed(range(size)):
        xrow, arow = bytearray(xor_stride), bytearray(and_stride)
        for x in range(size):
            c = pixel(size, x, y)
            if c is None:
                arow[x // 8] |= 0x80 >> (x % 8)
                c = BLACK
            xrow[x // 2] |= c << (4 if x % 2 == 0 else 0)
        xor_rows.append(bytes(xrow))
        and_rows.append(bytes(arow))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         len(xor_rows) * xor_stride + len(and_rows) * and_stride, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    return header + palette + b"".join(xor_rows) + b"".join(and_rows)


def icon(sizes):
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    with open(argv[1], "wb") as f:
        f.write(icon([32, 16]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
