#!/usr/bin/env python3
"""Builds the archives that real tools make from one source tree, and the tree `unzip` extracts
from each, for the archiver's comparison tests. Tools that are missing are left out (the tests
that need them skip). Usage: make_fixtures.py OUTDIR"""
import os
import random
import shutil
import subprocess
import sys
import zipfile


def make_tree(root):
    rnd = random.Random(20250101)
    os.makedirs(os.path.join(root, "docs", "guide"))
    os.makedirs(os.path.join(root, "empty", "nested"))
    os.makedirs(os.path.join(root, "bin"))
    text = "".join("line %d of the readme, with some words to compress\n" % i for i in range(2000))
    with open(os.path.join(root, "readme.txt"), "w") as f:
        f.write(text)
    with open(os.path.join(root, "docs", "guide", "chapter1.txt"), "w") as f:
        f.write(text[:5000])
    with open(os.path.join(root, "docs", "zero.txt"), "w"):
        pass
    # Random data: its Deflate stream is larger than one 1 MiB block.
    with open(os.path.join(root, "bin", "random.bin"), "wb") as f:
        f.write(bytes(rnd.getrandbits(8) for _ in range(1_500_000)))
    with open(os.path.join(root, "bin", "zeros.bin"), "wb") as f:
        f.write(bytes(3_000_000))


def python_zip(src, dest):
    with zipfile.ZipFile(dest, "w", zipfile.ZIP_DEFLATED) as z:
        for folder, dirs, files in sorted(os.walk(src)):
            dirs.sort()
            rel = os.path.relpath(folder, src)
            if rel != ".":
                z.write(folder, rel + "/")
            for name in sorted(files):
                path = os.path.join(folder, name)
                z.write(path, os.path.relpath(path, src))


def run(cmd, cwd, accept=(0,)):
    code = subprocess.run(cmd, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
    if code not in accept:
        raise SystemExit("%s failed with %d" % (" ".join(cmd), code))


def main(out):
    shutil.rmtree(out, ignore_errors=True)
    src = os.path.join(out, "source")
    make_tree(src)
    archives = {}
    python_zip(src, os.path.join(out, "python-zipfile.zip"))
    archives["python-zipfile"] = True
    if shutil.which("zip"):
        run(["zip", "-r", "-q", "-X", os.path.join(out, "infozip.zip"), "."], src)
        archives["infozip"] = True
        run(["zip", "-r", "-q", "-X", "-P", "secret", os.path.join(out, "infozip-encrypted.zip"), "readme.txt",
             "docs"], src)
        # A self-extractor stub in front, offsets left relative to the ZIP data.
        with open(os.path.join(out, "infozip-stub-in-front.zip"), "wb") as f:
            f.write(b"MZ" + bytes(range(256)) * 64)
            with open(os.path.join(out, "infozip.zip"), "rb") as z:
                f.write(z.read())
        archives["infozip-stub-in-front"] = True
    if shutil.which("bsdtar"):
        run(["bsdtar", "--format", "zip", "-cf", os.path.join(out, "bsdtar.zip"), "."], src)
        archives["bsdtar"] = True
    if shutil.which("7z"):
        run(["7z", "a", "-tzip", "-mx=5", os.path.join(out, "7z.zip"), "."], src)
        archives["7z"] = True
    if shutil.which("unzip"):
        for name in archives:
            run(["unzip", "-q", "-o", os.path.join(out, name + ".zip"), "-d", os.path.join(out, "expected-" + name)],
                out, accept=(0, 1))  # 1: warnings, such as bytes in front of the archive
    with open(os.path.join(out, "stamp"), "w") as f:
        f.write("\n".join(sorted(archives)) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
