#!/usr/bin/env python3
"""The kernel's own figure of how busy each processor is, for checking the
gadget's bars against it on a machine that may be busy with anything else.

    kernel_load.py record FILE
        Appends a snapshot of /proc/stat's per-processor times to FILE every
        0.1 s until killed: `<seconds> <work0> <other0> <idle0> <work1> ...`.
    kernel_load.py check FILE TIME TOLERANCE PERCENT0 [PERCENT1 ...]
        Checks the percentages read off a screenshot taken at TIME (seconds,
        as `date +%s.%N` prints them) against the recording: exit code 1 when
        one lies further than TOLERANCE points outside what the kernel reported.

Under Wine the gadget's processors are the host's, read from /proc/stat. Busy
is user + nice + system; whether waiting for the disk, interrupts and time
stolen by a hypervisor count as busy is a matter of reading, so the figure is
taken both ways and either is accepted.

What the gadget shows at a moment is not one kernel figure: a sample covers
the second before it arrives, and the bar then moves to it along a one-second
sine from wherever it stood, which itself came from earlier samples. So the
shown value lies between the figures of the one-second stretches that ended in
the last few seconds (`LOOKBACK`), and the check allows that whole range
widened by the tolerance. On a steady load the range is a point or two wide;
while the load jumps it widens to just what cannot be told apart. Stretches of
0.9 to 1.3 s cover the sampler's own second drifting against these snapshots.
"""
import sys
import time

PERIOD = 0.1
LOOKBACK = 5.0
SHORTEST, LONGEST = 0.9, 1.3


FIELDS = 3  # per processor: work, other, idle


def snapshot():
    figures = []
    with open("/proc/stat") as stat:
        for line in stat:
            if line.startswith("cpu") and line[3].isdigit():
                ticks = [int(v) for v in line.split()[1:9]]
                user, nice, system, idle = ticks[:4]
                figures += [user + nice + system, sum(ticks[4:]), idle]
    return figures


def record(path):
    with open(path, "a") as out:
        while True:
            out.write(" ".join([f"{time.time():.3f}"] + [str(v) for v in snapshot()]) + "\n")
            out.flush()
            time.sleep(PERIOD)


def load(path):
    rows = []
    with open(path) as recording:
        for line in recording:
            fields = line.split()
            if len(fields) > FIELDS and (len(fields) - 1) % FIELDS == 0:
                rows.append((float(fields[0]), [int(v) for v in fields[1:]]))
    return rows


def kernel_range(rows, moment, processor):
    """Lowest and highest busy share, in percent, of one processor over the
    stretches of SHORTEST..LONGEST seconds that ended within LOOKBACK of moment."""
    rows = [row for row in rows if moment - LOOKBACK - LONGEST <= row[0] <= moment]
    low, high = None, None
    for j, (end, end_figures) in enumerate(rows):
        if end > moment or end < moment - LOOKBACK:
            continue
        for start, start_figures in rows[:j]:
            if not SHORTEST <= end - start <= LONGEST:
                continue
            work, other, idle = (end_figures[FIELDS * processor + i] -
                                 start_figures[FIELDS * processor + i] for i in range(FIELDS))
            if work + idle <= 0:
                continue
            shares = (100.0 * work / (work + idle), 100.0 * (work + other) / (work + other + idle))
            low = min(shares) if low is None else min(low, *shares)
            high = max(shares) if high is None else max(high, *shares)
    return low, high


def check(path, moment, tolerance, percents):
    rows = load(path)
    failures = 0
    for processor, shown in enumerate(percents):
        low, high = kernel_range(rows, moment, processor)
        if low is None:
            print(f"FAIL processor {processor}: no kernel figures in the {LOOKBACK:.0f} s before the screenshot")
            failures += 1
            continue
        ok = low - tolerance <= shown <= high + tolerance
        print(f"{'ok  ' if ok else 'FAIL'} processor {processor}: gadget {shown:.1f} %, "
              f"kernel {low:.1f}..{high:.1f} % (tolerance {tolerance:g})")
        failures += not ok
    return 1 if failures else 0


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "record":
        record(sys.argv[2])
    elif len(sys.argv) >= 6 and sys.argv[1] == "check":
        return check(sys.argv[2], float(sys.argv[3]), float(sys.argv[4]),
                     [float(v) for v in sys.argv[5:]])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())
