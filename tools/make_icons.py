#!/usr/bin/env python3
"""Draws the program icon (a small meter: dark rounded panel, light border, a
green and an orange bar) and writes resources/app.ico with an image at every
size the shell draws the program at from 100 % to 300 % scale: 32x32 in 256
colours for old shells, 16x16 and 32x32 in 32-bit colour with alpha, and 20,
24, 40 and 48 as PNG-compressed images (which only the systems that scale
displays read), so the program stays small.
Run it from anywhere; the result is committed so the build needs no Python."""

import os
import struct
import zlib

BORDER = (200, 208, 216)
PANEL = (28, 34, 42)
TRACK = (56, 64, 74)
GREEN = (64, 208, 72)
ORANGE = (240, 144, 32)

# Shapes on a 32-unit canvas, drawn in order: (left, top, right, bottom, radius, colour).
SHAPES = [
    (1.0, 3.0, 31.0, 29.0, 5.0, BORDER),
    (2.5, 4.5, 29.5, 27.5, 3.8, PANEL),
    (5.0, 8.0, 27.0, 14.0, 1.0, TRACK),
    (5.0, 18.0, 27.0, 24.0, 1.0, TRACK),
    (5.0, 8.0, 23.0, 14.0, 1.0, GREEN),
    (5.0, 18.0, 16.0, 24.0, 1.0, ORANGE),
]
SAMPLES = 4  # per axis, for the anti-aliased edges


def inside(x, y, shape):
    left, top, right, bottom, radius, _ = shape
    if not (left <= x < right and top <= y < bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def render(size):
    """Rows top first of (r, g, b, a) with straight alpha."""
    scale = 32.0 / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) * scale
                    y = (py + (sy + 0.5) / SAMPLES) * scale
                    colour = None
                    for shape in SHAPES:
                        if inside(x, y, shape):
                            colour = shape[5]
                    if colour is not None:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 1
            n = acc[3]
            if n == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(acc[0] / n), round(acc[1] / n), round(acc[2] / n),
                            round(255 * n / SAMPLES ** 2)))
        rows.append(row)
    return rows


def and_mask(rows, opaque):
    """1-bit mask, bottom row first, rows padded to 32 bits; set = transparent."""
    size = len(rows)
    stride = (size + 31) // 32 * 4
    out = b""
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, pixel in enumerate(row):
            if not opaque(pixel):
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bytes(bits)
    return out


def header(size, bit_count, colours):
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bit_count, 0, 0, 0, 0, colours, 0)


def image_32bit(size):
    rows = render(size)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    return header(size, 32, 0) + pixels + and_mask(rows, lambda p: p[3] > 0)


def image_8bit(size):
    rows = render(size)
    opaque = lambda p: p[3] >= 128
    palette = [(0, 0, 0)]
    index = {}
    for row in rows:
        for pixel in row:
            colour = pixel[:3]
            if opaque(pixel) and colour not in index:
                index[colour] = len(palette)
                palette.append(colour)
    if len(palette) > 256:
        raise SystemExit("too many colours for the palettised image")
    palette += [(0, 0, 0)] * (256 - len(palette))
    stride = (size + 3) // 4 * 4
    pixels = b""
    for row in reversed(rows):
        line = bytes(index[p[:3]] if opaque(p) else 0 for p in row)
        pixels += line + bytes(stride - size)
    table = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    return header(size, 8, 256) + table + pixels + and_mask(rows, opaque)


def png(rows):
    """A PNG of RGBA rows, top first: what Vista and later read inside an icon."""
    size = len(rows)
    raw = b"".join(b"\0" + bytes(c for pixel in row for c in pixel) for row in rows)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write_ico(path, images):
    """images: list of (size, colour count byte, bit count, data)."""
    offset = 6 + 16 * len(images)
    directory = b""
    for size, colours, bits, data in images:
        directory += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)) + directory)
        for image in images:
            f.write(image[3])


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    # Every size the shell draws at 100 % to 300 % scale, and the palettised
    # one for shells without alpha.
    write_ico(os.path.join(root, "resources", "app.ico"), [
        (32, 0, 8, image_8bit(32)),
        (48, 0, 32, png(render(48))),
        (40, 0, 32, png(render(40))),
        (32, 0, 32, image_32bit(32)),
        (24, 0, 32, png(render(24))),
        (20, 0, 32, png(render(20))),
        (16, 0, 32, image_32bit(16)),
    ])


if __name__ == "__main__":
    main()
