#!/usr/bin/env python3
"""Writes a seed corpus for the archive fuzzer: small archives of every shape the reader meets."""
import io
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile


class Unseekable(io.RawIOBase):
    """An output stream without seek, so zipfile writes data descriptors."""

    def __init__(self):
        self.buf = bytearray()

    def writable(self):
        return True

    def write(self, b):
        self.buf += b
        return len(b)


def archive(entries, compression=zipfile.ZIP_DEFLATED, comment=b"", zip64=False):
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", compression) as z:
        z.comment = comment
        for name, data in entries:
            with z.open(name, "w", force_zip64=zip64) as f:
                f.write(data)
    return out.getvalue()


VOLUME_MARK = b"\n--volume--\n"


def split(whole, volume_size):
    """A single-file archive cut into volumes of `volume_size` bytes, as a split archive: the
    split signature in front, every offset taken on the volume it falls in; the end record stays
    whole in the last volume. Returns the volumes."""
    import struct
    end = whole.rindex(b"PK\x05\x06")
    count, cd_size, cd_offset = struct.unpack_from("<HII", whole, end + 10)
    logical = bytearray(b"PK\x07\x08" + whole)
    place = lambda offset: divmod(offset + 4, volume_size)
    at = cd_offset + 4
    for _ in range(count):
        local = struct.unpack_from("<I", logical, at + 42)[0]
        disk, offset = place(local)
        struct.pack_into("<H", logical, at + 34, disk)
        struct.pack_into("<I", logical, at + 42, offset)
        n, m, k = struct.unpack_from("<HHH", logical, at + 28)
        at += 46 + n + m + k
    cuts = list(range(volume_size, end + 4, volume_size))
    last = len(cuts)
    cd_disk, cd_at = place(cd_offset)
    struct.pack_into("<HHHHII", logical, end + 4 + 4, last, cd_disk, count, count, cd_size, cd_at)
    bounds = [0] + cuts + [len(logical)]
    return [bytes(logical[a:b]) for a, b in zip(bounds, bounds[1:])]


def main(folder):
    os.makedirs(folder, exist_ok=True)
    text = b"The quick brown fox jumps over the lazy dog.\n" * 20
    seeds = {
        "stored.zip": archive([("a.txt", b"alpha"), ("dir/", b""), ("dir/b.txt", text)], zipfile.ZIP_STORED),
        "deflated.zip": archive([("a.txt", text), ("empty.txt", b"")]),
        "bzip2-method.zip": archive([("b.txt", text)], zipfile.ZIP_BZIP2),
        "comment.zip": archive([("a.txt", b"x")], comment=b"archive comment"),
        "zip64.zip": archive([("a.txt", text)], zip64=True),
        "stub-in-front.zip": b"MZ" + bytes(200) + archive([("a.txt", text)]),
        "empty.zip": archive([]),
    }
    # Multi-volume inputs: the volumes joined by the mark, then the option byte (4: volumes;
    # 8 more: the second volume missing).
    spread = archive([("a.txt", text), ("dir/", b""), ("dir/b.bin", bytes(range(256)) * 2)], zipfile.ZIP_STORED)
    seeds["split-stored-entries-across-volumes"] = VOLUME_MARK.join(split(spread, 300)) + b"\x04"
    seeds["split-deflated-directory-on-last-volume"] = VOLUME_MARK.join(split(archive([("a.txt", text * 4)]), 128)) + b"\x04"
    seeds["split-second-volume-missing"] = VOLUME_MARK.join(split(spread, 300)) + b"\x0c"
    raw = Unseekable()
    with zipfile.ZipFile(raw, "w", zipfile.ZIP_DEFLATED) as z:
        with z.open("described.txt", "w") as f:
            f.write(text)
    seeds["data-descriptor.zip"] = bytes(raw.buf)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    if shutil.which("zip"):
        with tempfile.TemporaryDirectory() as tmp:
            with open(os.path.join(tmp, "secret.txt"), "wb") as f:
                f.write(text)
            subprocess.run(["zip", "-q", "-P", "fuzz", "enc.zip", "secret.txt"], cwd=tmp, check=True)
            shutil.copy(os.path.join(tmp, "enc.zip"), os.path.join(folder, "encrypted.zip"))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "fuzz-seeds")
