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


def make_text_part(root, lines):
    """The folders and text files both trees share: a readme of `lines` lines, a chapter, an empty file."""
    os.makedirs(os.path.join(root, "docs", "guide"))
    os.makedirs(os.path.join(root, "empty", "nested"))
    os.makedirs(os.path.join(root, "bin"))
    text = "".join("line %d of the readme, with some words to compress\n" % i for i in range(lines))
    with open(os.path.join(root, "readme.txt"), "w") as f:
        f.write(text)
    with open(os.path.join(root, "docs", "guide", "chapter1.txt"), "w") as f:
        f.write(text[:5000])
    with open(os.path.join(root, "docs", "zero.txt"), "w"):
        pass


def make_tree(root):
    rnd = random.Random(20250101)
    make_text_part(root, 2000)
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


# Names that need UTF-8: one the ANSI code page 1252 has, one it lacks, one in a folder.
UTF8_NAMES = ["caf\u00e9.txt", "\u03a9mega.txt", "docs/na\u00efve/\u00fc.txt"]


def utf8_fixtures(out, archives):
    """Archives whose names carry general-purpose bit 11, from every tool that sets it."""
    src = os.path.join(out, "utf8-source")
    for name in UTF8_NAMES:
        path = os.path.join(src, *name.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write("content of %s\n" % name)
    with zipfile.ZipFile(os.path.join(out, "utf8-python-zipfile.zip"), "w", zipfile.ZIP_DEFLATED) as z:
        for name in UTF8_NAMES:
            z.write(os.path.join(src, *name.split("/")), name)
    archives.append("utf8-python-zipfile")
    if shutil.which("7z"):
        run(["7z", "a", "-tzip", os.path.join(out, "utf8-7z.zip")] + UTF8_NAMES, src)
        archives.append("utf8-7z")
    if shutil.which("bsdtar"):
        run(["bsdtar", "--format", "zip", "-cf", os.path.join(out, "utf8-bsdtar.zip")] + UTF8_NAMES, src)
        archives.append("utf8-bsdtar")
    if shutil.which("zip"):
        run(["zip", "-q", "-X", os.path.join(out, "utf8-infozip.zip")] + UTF8_NAMES, src)
        # Info-ZIP's zip sets bit 11 only where it takes the locale for UTF-8; an archive
        # without the flag is no UTF-8 fixture (its names are read as OEM text).
        if all(i.flag_bits & 0x800 for i in zipfile.ZipFile(os.path.join(out, "utf8-infozip.zip")).infolist()):
            archives.append("utf8-infozip")
    with open(os.path.join(out, "utf8-stamp"), "w") as f:
        f.write("\n".join(archives) + "\n")


def make_split_tree(root):
    """Text that compresses and random data that does not, about 420 KB: seven 64 KiB volumes."""
    rnd = random.Random(20250102)
    make_text_part(root, 4000)
    for name, size in (("random.bin", 300_000), ("small.bin", 70_000)):
        with open(os.path.join(root, "bin", name), "wb") as f:
            f.write(bytes(rnd.getrandbits(8) for _ in range(size)))


def split_fixtures(out):
    """Split archives from Info-ZIP's zip -s, 64 KiB volumes, in the layouts the reader takes."""
    made = []
    if not shutil.which("zip"):
        return made
    src = os.path.join(out, "split-source")
    make_split_tree(src)
    volumes = os.path.join(out, "split-z")
    os.makedirs(volumes)
    run(["zip", "-r", "-q", "-X", "-s", "64k", os.path.join(volumes, "archive.zip"), "."], src)
    made.append("split-z/archive.zip")
    zip64 = os.path.join(out, "split-zip64")
    os.makedirs(zip64)
    run(["zip", "-r", "-q", "-X", "-fz", "-s", "64k", os.path.join(zip64, "archive.zip"), "."], src)
    made.append("split-zip64/archive.zip")
    names = sorted(n for n in os.listdir(volumes) if n != "archive.zip")
    # The other naming: archive.001, archive.002, ..., archive.zip.
    numbered = os.path.join(out, "split-numbered")
    os.makedirs(numbered)
    for n in names + ["archive.zip"]:
        to = n if n == "archive.zip" else "archive.%03d" % int(n[len("archive.z"):])
        shutil.copy(os.path.join(volumes, n), os.path.join(numbered, to))
    made.append("split-numbered/archive.zip")
    # Spanned: every volume named archive.zip, one folder a disk (disk1 ... diskN).
    for i, n in enumerate(names + ["archive.zip"]):
        disk = os.path.join(out, "spanned", "disk%d" % (i + 1))
        os.makedirs(disk)
        shutil.copy(os.path.join(volumes, n), os.path.join(disk, "archive.zip"))
    made.append("spanned/disk%d/archive.zip" % (len(names) + 1))
    # The second volume missing.
    missing = os.path.join(out, "split-missing")
    shutil.copytree(volumes, missing)
    os.remove(os.path.join(missing, "archive.z02"))
    # A self-extractor standing for the first volume, the end record on the last.
    sfx = os.path.join(out, "split-sfx")
    shutil.copytree(volumes, sfx)
    os.rename(os.path.join(sfx, "archive.z01"), os.path.join(sfx, "archive.exe"))
    made.append("split-sfx/archive.exe")
    # A writer that started a volume it had nothing to put on: the named file is empty and the
    # end record is on the volume before it.
    extra = os.path.join(out, "split-extra-volume")
    shutil.copytree(volumes, extra)
    os.rename(os.path.join(extra, "archive.zip"), os.path.join(extra, "archive.z%02d" % (len(names) + 1)))
    open(os.path.join(extra, "archive.zip"), "wb").close()
    made.append("split-extra-volume/archive.zip")
    # 7z reads split archives; its tree is a second opinion beside the source tree.
    if shutil.which("7z"):
        run(["7z", "x", "-y", "-bd", "-o" + os.path.join(out, "expected-7z-split"), os.path.join(volumes, "archive.zip")],
            out)
    with open(os.path.join(out, "split-stamp"), "w") as f:
        f.write("\n".join(made) + "\n")
    return made


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
    split_fixtures(out)
    utf8_fixtures(out, [])
    with open(os.path.join(out, "stamp"), "w") as f:
        f.write("\n".join(sorted(archives)) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
