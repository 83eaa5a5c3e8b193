#!/usr/bin/env python3
"""Writes the three notification-area pictures of the memory load (green,
yellow, red): each one 32 x 32 image with 16 colours, a filled disc slightly
wider than high with a one-pixel white rim, transparent around it.

Usage: make_tray_icons.py [output directory]   (default: resources/ of the repo)
"""
import os
import struct
import sys

SIZE = 32
# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
TRANSPARENT, RED, GREEN, YELLOW, WHITE = 0, 9, 10, 11, 15
ICONS = [("tray_green.ico", GREEN), ("tray_yellow.ico", YELLOW), ("tray_red.ico", RED)]
HALF_WIDTH, HALF_HEIGHT = 14.5, 12.5


def inside(x, y):
    if not (0 <= x < SIZE and 0 <= y < SIZE):
        return False
    dx = (x + 0.5 - SIZE / 2) / HALF_WIDTH
    dy = (y + 0.5 - SIZE / 2) / HALF_HEIGHT
    return dx * dx + dy * dy <= 1.0


def picture(fill):
    """Rows top first, one palette index per pixel."""
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            if not inside(x, y):
                row.append(TRANSPARENT)
            elif all(inside(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                row.append(fill)
            else:
                row.append(WHITE)
        rows.append(row)
    return rows


def icon_file(fill):
    rows = picture(fill)
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # bitmaps are stored bottom row first
        for x in range(0, SIZE, 2):
            colour.append(row[x] << 4 | row[x + 1])
        bits = 0
        for x in range(SIZE):
            bits = bits << 1 | (1 if row[x] == TRANSPARENT else 0)
        mask += bits.to_bytes(SIZE // 8, "big")  # rows of 4 bytes need no padding
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    image = header + palette + bytes(colour) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources")
    for name, fill in ICONS:
        with open(os.path.join(target, name), "wb") as out:
            out.write(icon_file(fill))


if __name__ == "__main__":
    main()
