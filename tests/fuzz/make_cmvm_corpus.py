#!/usr/bin/env python3
# make_cmvm_corpus.py -- writes the small seed corpus of the CMVM fuzz target
import os
import struct
import sys

here = os.path.dirname(os.path.abspath(__file__))
out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "corpus", "cmvm")
os.makedirs(out, exist_ok=True)


def record(x, y, z):
    return struct.pack("<9f", x, y, z, 1, 1, 1, 1, 0, 0)


def path(eyes, angles):
    return struct.pack("<i", len(eyes)) + b"".join(record(*e) for e in eyes) + b"".join(record(*a) for a in angles)


line = [(i * 10.0, 0.0, i * 5.0) for i in range(5)]
level = [(0.0, i * 30.0, 0.0) for i in range(5)]
good = path(line, level)
seeds = {
    "empty": b"",
    "count_only": struct.pack("<i", 0),
    "three_points": path(line[:3], level[:3]),
    "five_points": good,
    "trailing_bytes": good + b"\xde\xad\xbe\xef",
    "cut_record": good[:4 + 36 * 2 + 17],
    "second_block_missing": good[:4 + 36 * 5],
    "negative_count": struct.pack("<i", -1) + good[4:],
    "huge_count": struct.pack("<i", 0x7FFFFFFF) + good[4:40],
    "wrapping_count": struct.pack("<i", 59652324) + good[4:40],
    "odd_floats": path([(float("inf"), float("nan"), -0.0)] * 3, [(1e38, -1e38, 3.4e38)] * 3),
}
for name, data in seeds.items():
    with open(os.path.join(out, name + ".cmvm"), "wb") as f:
        f.write(data)
