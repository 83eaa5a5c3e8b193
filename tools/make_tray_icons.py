#!/usr/bin/env python3
"""Writes the three notification-area pictures of the memory load (green,
yellow, red): each with an image at every size the shell draws small icons at
(16 to 48 pixels, for 100 % to 300 % scale), a filled disc slightly wider than
high with a one-pixel white rim, transparent around it. The 16 and 32 pixel
images have 16 colours, as every shell reads; the others, which only systems
that scale displays ask for, are PNG-compressed, so the program stays small.

Usage: make_tray_icons.py [output directory]   (default: resources/ of the repo)
"""
import os
import struct
import zlib
import sys

SIZES = (16, 20, 24, 32, 40, 48)
# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
TRANSPARENT, RED, GREEN, YELLOW, WHITE = 0, 9, 10, 11, 15
ICONS = [("tray_green.ico", GREEN), ("tray_yellow.ico", YELLOW), ("tray_red.ico", RED)]
# The disc's half axes on a 32-pixel picture, scaled for the others.
HALF_WIDTH, HALF_HEIGHT = 14.5, 12.5


def inside(x, y, size):
    if not (0 <= x < size and 0 <= y < size):
        return False
    dx = (x + 0.5 - size / 2) / (HALF_WIDTH * size / 32)
    dy = (y + 0.5 - size / 2) / (HALF_HEIGHT * size / 32)
    return dx * dx + dy * dy <= 1.0


def picture(fill, size):
    """Rows top first, one palette index per pixel."""
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            if not inside(x, y, size):
                row.append(TRANSPARENT)
            elif all(inside(x + dx, y + dy, size) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                row.append(fill)
            else:
                row.append(WHITE)
        rows.append(row)
    return rows


def padded(row_bytes):
    """Bitmap rows are stored in whole 32-bit words."""
    return row_bytes + bytes(-len(row_bytes) % 4)


def image(fill, size):
    rows = picture(fill, size)
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # bitmaps are stored bottom row first
        colour += padded(bytes(row[x] << 4 | row[x + 1] for x in range(0, size, 2)))
        bits = 0
        for x in range(size):
            bits = bits << 1 | (1 if row[x] == TRANSPARENT else 0)
        mask += padded(bits.to_bytes((size + 7) // 8, "big"))
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + palette + bytes(colour) + bytes(mask)


def png(fill, size):
    """The same picture as an RGBA PNG."""
    rows = picture(fill, size)
    raw = b"".join(b"\0" + b"".join(bytes(PALETTE[i]) + (b"\0" if i == TRANSPARENT else b"\xff")
                                    for i in row) for row in rows)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def icon_file(fill):
    # (data, colour count, bits per pixel) per size
    images = [(image(fill, size), 16, 4) if size in (16, 32) else (png(fill, size), 0, 32)
              for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, (data, colours, bits) in zip(SIZES, images):
        directory += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    return directory + b"".join(data for data, _, _ in images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources")
    for name, fill in ICONS:
        with open(os.path.join(target, name), "wb") as out:
            out.write(icon_file(fill))


if __name__ == "__main__":
    main()
