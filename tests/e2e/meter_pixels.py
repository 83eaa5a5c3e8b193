#!/usr/bin/env python3
"""Reads a screenshot of the gadget's window and checks what must hold in any
frame: the grey panel, a dark grey track where no bar covers the slot, a white
percentage in every processor slot, the black memory texts and the memory bar.
Prints one line per finding, each processor's bar length as `bar<k>=<pixels>`
and the width of its percentage as `text<k>=<pixels>` (more digits, wider);
exit code 1 when a check fails.

    meter_pixels.py SHOT.png PROCESSORS
"""
import subprocess
import sys

WIDTH = 240


def load(path):
    size = subprocess.run(["identify", "-format", "%w %h", path], check=True,
                          capture_output=True, text=True).stdout.split()
    width, height = int(size[0]), int(size[1])
    raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True,
                         capture_output=True).stdout
    return width, height, raw


def slot_of(k):
    """Top-left corner of processor k's slot: the first two in the left column,
    then even numbers left and odd numbers right, a row of 12 pixels each."""
    if k < 2:
        return 0, 12 * k
    return 120 * (k % 2), 12 * (k // 2 + 1)


class Shot:
    def __init__(self, path):
        self.width, self.height, self.raw = load(path)

    def at(self, x, y):
        i = 3 * (y * self.width + x)
        return self.raw[i], self.raw[i + 1], self.raw[i + 2]

    def count(self, x0, y0, x1, y1, test):
        return sum(1 for y in range(y0, y1) for x in range(x0, x1) if test(*self.at(x, y)))


def grey(r, g, b):
    return r == g == b


def white(r, g, b):
    return min(r, g, b) > 0xB0


def black(r, g, b):
    return max(r, g, b) < 0x50


def track(r, g, b):
    return grey(r, g, b) and 0x30 <= r <= 0x70


def neutral_white(r, g, b):
    """A text pixel the glyph covers fully: white without the tint every bar
    colour keeps even where its shading is brightest."""
    return min(r, g, b) > 0xB0 and max(r, g, b) - min(r, g, b) <= 12


def text_width(shot, x, y, bar):
    """From the leftmost fully covered text pixel to the text's right edge, 4
    pixels inside the slot. Looked for right of a short bar (the brightest
    shading of the lowest band is white too) and in the slot's right half, where
    any text stands, over a long one."""
    right = x + 116
    for column in range(x + min(bar, 60), right):
        if any(neutral_white(*shot.at(column, y + row)) for row in range(12)):
            return right - column
    return 0


def bar_length(shot, x, y):
    """Columns from the slot's left edge along its middle row up to the first
    one that shows the bare track (the bar's shading runs from white through
    its colour to near black, but never to the track's exact greys)."""
    length = 0
    while length < 120 and not track(*shot.at(x + length, y + 6)):
        length += 1
    return length


def main():
    path, processors = sys.argv[1], int(sys.argv[2])
    shot = Shot(path)
    failures = []

    def check(ok, what):
        print(("ok   " if ok else "FAIL ") + what)
        if not ok:
            failures.append(what)

    check(shot.width == WIDTH, f"window width {shot.width}")
    # Memory texts right of processor 0: black caption and amount on the panel.
    panel = shot.count(120, 0, 240, 12, lambda r, g, b: (r, g, b) == (0xCC, 0xCC, 0xCC))
    check(panel > 300, f"panel grey 0xCCCCCC in the memory text area: {panel} pixels")
    ink = shot.count(120, 0, 180, 12, black)
    check(ink > 15, f"black memory caption: {ink} pixels")
    amount = shot.count(180, 0, 240, 12, black)
    check(amount > 15, f"black memory amount: {amount} pixels")
    # The memory bar right of processor 1, and its track beyond the bar.
    memory = bar_length(shot, 120, 12)
    print(f"memory_bar={memory}")
    check(memory > 0, f"memory bar drawn: {memory} pixels")
    if memory < 110:
        tracked = shot.count(235, 12, 240, 24, track)
        check(tracked == 60, f"memory bar track right of the bar: {tracked}/60 pixels")

    for k in range(processors):
        x, y = slot_of(k)
        length = bar_length(shot, x, y)
        print(f"bar{k}={length}")
        print(f"text{k}={text_width(shot, x, y, length)}")
        text = shot.count(x + 60, y, x + 117, y + 12, white)
        check(text > 10, f"processor {k}: white percentage, {text} pixels")
        if length < 110:
            tracked = shot.count(x + 117, y, x + 120, y + 12, track)
            check(tracked == 36, f"processor {k}: track right of the text, {tracked}/36 pixels")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
