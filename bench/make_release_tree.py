#!/usr/bin/env python3
"""A release-like tree for the extraction benchmark: about 150 MB in 1,500 files, text and
random data mixed, in nested folders. Usage: make_release_tree.py DIR"""
import os
import random
import sys

rnd = random.Random(2025)
root = sys.argv[1]
words = [b"display", b"mode", b"tray", b"update", b"archive", b"quorvex", b"fetchwell", b"screen", b"depth"]
total = 0
for i in range(1500):
    folder = os.path.join(root, "pkg%02d" % (i % 30), "sub%d" % (i % 4))
    os.makedirs(folder, exist_ok=True)
    size = int(rnd.expovariate(1 / 100_000)) + 200
    if i % 3 == 0:
        data = rnd.randbytes(size)
    else:
        data = b" ".join(rnd.choice(words) for _ in range(size // 6))[:size]
    with open(os.path.join(folder, "file%04d.%s" % (i, "bin" if i % 3 == 0 else "txt")), "wb") as f:
        f.write(data)
    total += len(data)
print("%d files, %.1f MiB" % (1500, total / 1048576))
