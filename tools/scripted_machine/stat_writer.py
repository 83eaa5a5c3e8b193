#!/usr/bin/env python3
"""Keeps a /proc/stat look-alike for the scripted machine: the machine's own
lines, with "cpu" and "cpuN" lines for N processors whose tick counts (100 a
second, as the kernel's) grow by the scripted load. A whole-percent load grows
in whole steps of that share (10 %: one busy tick to nine idle ones), so any
two readings differ by exactly the load, as on a real machine held steady at
it; other loads grow tick by tick. The file is rewritten in
place, every number at a fixed width, so its length never changes and a reader
sees the old or the new text, never a cut one.

Usage: stat_writer.py N LOADS STAT_FILE LOADS_FILE
"""
import math
import os
import sys
import time

TICKS_PER_SECOND = 100
PERIOD = 0.1
SWEEP_SECONDS = 7.0


def load_at(loads, processor, now):
    if loads == "moving":
        phase = 2 * math.pi * (now / SWEEP_SECONDS + processor / 8.0)
        return 50.0 + 50.0 * math.sin(phase)
    values = [float(v) for v in loads.split(",")]
    return max(0.0, min(100.0, values[min(processor, len(values) - 1)]))


def whole_step(load):
    """(busy, idle) ticks of one step of a whole-percent load, else None."""
    if load != int(load):
        return None
    percent = int(load)
    common = math.gcd(percent, 100)
    return percent // common, (100 - percent) // common


def main():
    count, loads, stat_path, loads_path = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
    with open("/proc/stat") as real:
        rest = [line for line in real.read().splitlines() if not line.startswith("cpu")]
    if loads != "moving":
        with open(loads_path, "w") as out:
            out.write("".join("%g\n" % load_at(loads, i, 0) for i in range(count)))
    busy = [0.0] * count
    idle = [0.0] * count
    ticks = [0.0] * count
    fd = os.open(stat_path, os.O_RDWR | os.O_CREAT, 0o644)
    last = time.monotonic()
    while True:
        now = time.monotonic()
        elapsed = now - last
        last = now
        for i in range(count):
            percent = load_at(loads, i, now)
            step = whole_step(percent) if loads != "moving" else None
            if step:
                ticks[i] += elapsed * TICKS_PER_SECOND
                steps = int(ticks[i] // sum(step))
                busy[i], idle[i] = steps * step[0], steps * step[1]
            else:
                busy[i] += percent / 100.0 * elapsed * TICKS_PER_SECOND
                idle[i] += (1.0 - percent / 100.0) * elapsed * TICKS_PER_SECOND

        def line(name, user, rest_idle):
            # user nice system idle iowait irq softirq steal guest guest_nice
            return "%-6s%012d 000000000000 000000000000 %012d 000000000000 000000000000 " \
                   "000000000000 000000000000 000000000000 000000000000" % (name, user, rest_idle)
        lines = [line("cpu", int(sum(busy)), int(sum(idle)))]
        lines += [line("cpu%d" % i, int(busy[i]), int(idle[i])) for i in range(count)]
        os.pwrite(fd, ("\n".join(lines + rest) + "\n").encode(), 0)
        time.sleep(PERIOD)


if __name__ == "__main__":
    main()
