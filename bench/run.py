#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End-to-end benchmarks of procbox beside the floor responder.

Generates request streams, then runs procbox and procbox_floor on each in
turn, several rounds, and prints the median wall time of each, their ratio
and the peak resident memory of each; then measures ping-pong round trips
with procbox_pingpong. Prints figures and never fails on them.

Build first with: cmake --workflow --preset bench
"""

import argparse
import os
import random
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)

# Every request of the short stream has this prefix and differs only in its
# bound, so each reply's size is a fixed part plus a part per byte of line.
PREFIX = 'Procedural "DelayedReadArchive" ["models/tree%06d.rib"] ['
LONGLINE = 999999

ALLELEMENTS = ["replace", "0",
               "linewidth", "0.01", "linecolor", "1", "0", "0",
               "cornerwidth", "0.05", "corneralpha", "0.5",
               "cornercolor", "0.5", "0.5", "0.5",
               "boxalpha", "0.25", "boxcolor", "0", "0", "1"]


def value(rng):
    """A bound value as a scene file might write it."""
    kind = rng.randrange(4)
    if kind == 0:
        return str(rng.randint(-100, 100))
    if kind == 1:
        return "%.*f" % (rng.randint(1, 4), rng.uniform(-1000, 1000))
    if kind == 2:
        return "%g" % rng.uniform(-50, 50)
    return "%.3e" % rng.uniform(-1e5, 1e5)


def shortstream(path, count):
    rng = random.Random(4)
    with open(path, "w") as f:
        for i in range(count):
            f.write(PREFIX % (i % 1000000) + " ".join(value(rng) for _ in range(6)) + "]\n")


def longstream(path, count):
    # 999,999 bytes with the line feed: one piece each. The argument array
    # makes the length, so procbox searches and splits the whole line.
    head = 'Procedural "DelayedReadArchive" ["'
    tail = '"] [-1 1 -2 2 0 3]\n'
    with open(path, "w") as f:
        for i in range(count):
            f.write(head + chr(ord("a") + i % 26) * (LONGLINE - len(head) - len(tail)) + tail)


def makestream(path, count, write):
    """Writes a stream once; a later run with the same count reuses it."""
    tag = path + ".count"
    if os.path.exists(path) and os.path.exists(tag) and open(tag).read() == str(count):
        return
    write(path, count)
    with open(tag, "w") as f:
        f.write(str(count))


def replysizes(program, words, lines):
    out = subprocess.run([program] + words, input=b"".join(lines), stdout=subprocess.PIPE, check=True).stdout
    replies = out[len(b"Procedural\n"):].split(b"\xff")[:-1]
    return [len(r) for r in replies]


def fitfloor(program, words, stream):
    """base and perbyte that make the floor's replies procbox's size."""
    with open(stream, "rb") as f:
        lines = [f.readline() for _ in range(20)]
    lines = [l for l in lines if l]
    sizes = replysizes(program, words, lines)
    short = min(range(len(lines)), key=lambda i: len(lines[i]))
    long = max(range(len(lines)), key=lambda i: len(lines[i]))
    span = len(lines[long]) - len(lines[short])
    perbyte = (sizes[long] - sizes[short]) // span if span else 0
    base = sizes[short] - perbyte * len(lines[short])
    for line, size in zip(lines, sizes):
        if base + perbyte * len(line) != size:
            sys.exit("procbox's reply sizes on %s are not base + perbyte * length" % stream)
    return [str(base), str(perbyte)]


def bytesout(argv, stream):
    with open(stream, "rb") as f:
        p = subprocess.Popen(argv, stdin=f, stdout=subprocess.PIPE)
        total = 0
        while True:
            chunk = p.stdout.read(1 << 20)
            if not chunk:
                break
            total += len(chunk)
        p.wait()
    return total


def ratio(a, b):
    return a / b if b else float("nan")


def timed(argv, stream, sink):
    """Wall time and processor time (user and system) in seconds and peak
    resident memory in KiB of one run."""
    # GNU time starts the program from a small process of its own: a child
    # of this Python process would count Python's pages in its peak.
    report = stream + ".rss"
    argv = ["/usr/bin/time", "-f", "%M %U %S", "-o", report] + argv
    with open(stream, "rb") as f, open(os.devnull, "wb") as null:
        start = time.perf_counter()
        if sink == "null":
            subprocess.run(argv, stdin=f, stdout=null, check=True)
        else:
            p = subprocess.Popen(argv, stdin=f, stdout=subprocess.PIPE)
            drain = subprocess.Popen(["cat"], stdin=p.stdout, stdout=null)
            p.stdout.close()
            p.wait()
            drain.wait()
        elapsed = time.perf_counter() - start
    with open(report) as r:
        rss, user, system = r.read().split()[-3:]
    return elapsed, float(user) + float(system), int(rss)


def batch(name, stream, words, programs, rounds, sink):
    procbox, floor = programs
    floorargv = [floor] + fitfloor(procbox, words, stream)
    argvs = {"procbox": [procbox] + words, "floor": floorargv}
    counts = {k: bytesout(v, stream) for k, v in argvs.items()}
    if counts["procbox"] != counts["floor"]:
        sys.exit("%s: procbox wrote %d bytes, the floor %d" % (name, counts["procbox"], counts["floor"]))
    times = {"procbox": [], "floor": []}
    cpu = {"procbox": [], "floor": []}
    rss = {"procbox": 0, "floor": 0}
    for r in range(rounds):
        order = ["procbox", "floor"] if r % 2 == 0 else ["floor", "procbox"]
        for k in order:
            t, c, m = timed(argvs[k], stream, sink)
            times[k].append(t)
            cpu[k].append(c)
            rss[k] = max(rss[k], m)
    p, f = statistics.median(times["procbox"]), statistics.median(times["floor"])
    pc, fc = statistics.median(cpu["procbox"]), statistics.median(cpu["floor"])
    size = os.path.getsize(stream)
    print("%-8s wall: procbox %6.3f s  floor %6.3f s  ratio %.3f | processor: %6.2f s  %6.2f s  ratio %.3f | "
          "peak RSS: %5d KiB  %5d KiB  %+.2f MiB | procbox %.2f ns per byte in, %d bytes out"
          % (name, p, f, ratio(p, f), pc, fc, ratio(pc, fc), rss["procbox"], rss["floor"],
             (rss["procbox"] - rss["floor"]) / 1024.0, p / size * 1e9, counts["procbox"]), flush=True)
    return ratio(p, size)


def pingpong(programs, pingpongprogram, stream, runs, rounds):
    procbox, floor = programs
    requests = stream + ".pingpong"
    with open(stream, "rb") as f, open(requests, "wb") as out:
        for _ in range(1000):
            out.write(f.readline())
    argv = [pingpongprogram, requests, str(rounds), "--", procbox, "--", floor] + fitfloor(procbox, [], requests)
    medians = {"procbox": [], "procbox_floor": []}
    tails = {"procbox": [], "procbox_floor": []}
    for _ in range(runs):
        out = subprocess.run(argv, stdout=subprocess.PIPE, check=True, text=True).stdout
        for line in out.splitlines():
            name, _, median, _, p99 = line.split()
            medians[name].append(float(median))
            tails[name].append(float(p99))
    pm, fm = statistics.median(medians["procbox"]), statistics.median(medians["procbox_floor"])
    pt, ft = statistics.median(tails["procbox"]), statistics.median(tails["procbox_floor"])
    print("ping-pong procbox median %.2f us p99 %.2f us  floor median %.2f us p99 %.2f us  "
          "median ratio %.3f  p99 ratio %.3f" % (pm, pt, fm, ft, ratio(pm, fm), ratio(pt, ft)), flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "bench"), help="the bench build directory")
    parser.add_argument("--requests", type=int, default=1000000, help="requests in the short stream")
    parser.add_argument("--longlines", type=int, default=100, help="lines of 999,999 bytes in the long stream")
    parser.add_argument("--rounds", type=int, default=7, help="alternating runs of each program per stream")
    parser.add_argument("--trips", type=int, default=20000, help="ping-pong round trips per run")
    parser.add_argument("--sink", choices=["null", "pipe"], default="null",
                        help="where replies go: /dev/null, or a pipe that cat drains")
    parser.add_argument("--quick", action="store_true", help="a smoke run: tiny streams, one round")
    args = parser.parse_args()
    if args.quick:
        args.requests, args.longlines, args.rounds, args.trips = 2000, 2, 1, 200

    programs = (os.path.join(args.build, "procbox"), os.path.join(args.build, "bench", "procbox_floor"))
    data = os.path.join(args.build, "streams")
    os.makedirs(data, exist_ok=True)
    short = os.path.join(data, "short.rib")
    long = os.path.join(data, "long.rib")
    makestream(short, args.requests, shortstream)
    makestream(long, args.longlines, longstream)

    print("%d requests, %d lines of 999,999 bytes, median of %d alternating runs, replies to %s"
          % (args.requests, args.longlines, args.rounds, "/dev/null" if args.sink == "null" else "a pipe"))
    shortcost = batch("defaults", short, [], programs, args.rounds, args.sink)
    batch("all on", short, ALLELEMENTS, programs, args.rounds, args.sink)
    longcost = batch("long", long, [], programs, args.rounds, args.sink)
    print("time per input byte, long lines over short requests: %.3f" % ratio(longcost, shortcost))
    pingpong(programs, os.path.join(args.build, "bench", "procbox_pingpong"), short, max(1, args.rounds // 2),
             args.trips)


if __name__ == "__main__":
    main()
