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
