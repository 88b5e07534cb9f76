#!/usr/bin/env python3
"""Copies fuzz inputs into a corpus folder under names that say what each exercises.

Usage: name_fuzz_corpus.py OUTDIR INPUT...

A name is made of the shape the fuzz entry gives the input (the options in its last byte: a
multi-volume archive, its second volume missing, a damaged directory accepted, damaged data kept),
what the central directory holds (compression methods, encryption, data descriptors, UTF-8 names,
Zip64 fields, extra blocks) and a short hash of the bytes, so two inputs never share a name.
"""
import hashlib
import os
import shutil
import struct
import sys

VOLUME_MARK = b"\n--volume--\n"
METHODS = {0: "stored", 8: "deflated", 12: "bzip2", 0x5A41: "ownblocks"}
EXTRAS = {0x0001: "zip64extra", 0x000A: "ntfs", 0x5455: "timestamp", 0x7875: "unixids", 0x7075: "unicodepath"}


def central_headers(data):
    at = data.find(b"PK\x01\x02")
    while at >= 0 and at + 46 <= len(data):
        yield at
        at = data.find(b"PK\x01\x02", at + 4)


def describe(data):
    options = data[-1] if data else 0
    body = data[:-1] if data else data
    parts = []
    if options & 4:
        volumes = body.count(VOLUME_MARK) + 1
        parts.append(f"volumes{volumes}")
        if options & 8:
            parts.append("second-missing")
    if options & 1 and not options & 4:
        parts.append("open-damaged")
    if options & 2:
        parts.append("keep-damaged-data")
    if b"PK\x05\x06" not in body:
        parts.append("no-end-record")
    if b"PK\x06\x06" in body or b"PK\x06\x07" in body:
        parts.append("zip64-end")
    methods, flags, extras, entries = set(), set(), set(), 0
    for at in central_headers(body):
        entries += 1
        flag, method = struct.unpack_from("<HH", body, at + 8)
        methods.add(METHODS.get(method, "method%d" % method))
        if flag & 1:
            flags.add("encrypted")
        if flag & 8:
            flags.add("descriptor")
        if flag & 0x800:
            flags.add("utf8")
        name_len, extra_len = struct.unpack_from("<HH", body, at + 28)
        extra = body[at + 46 + name_len: at + 46 + name_len + extra_len]
        i = 0
        while i + 4 <= len(extra):
            ident, size = struct.unpack_from("<HH", extra, i)
            if ident in EXTRAS:
                extras.add(EXTRAS[ident])
            i += 4 + size
    parts.append(f"{entries}-entries" if entries != 1 else "1-entry")
    end = body.rfind(b"PK\x05\x06")
    if end >= 0 and end + 22 <= len(body):
        claimed, size, offset, comment = struct.unpack_from("<HIIH", body, end + 10)
        if claimed != entries:
            parts.append(f"claims-{claimed}")
        if offset + size > end:
            parts.append("directory-past-end")
        if comment:
            parts.append("comment")
    parts += sorted(methods)[:3] + sorted(flags) + sorted(extras)
    if not entries and b"PK\x01\x02" in body:
        parts.append("cut-central-header")
    if not entries and b"PK\x03\x04" in body:
        parts.append("local-headers-only")
    return "-".join(parts)


def main():
    out, inputs = sys.argv[1], sys.argv[2:]
    os.makedirs(out, exist_ok=True)
    for path in inputs:
        data = open(path, "rb").read()
        digest = hashlib.sha1(data).hexdigest()[:8]
        shutil.copyfile(path, os.path.join(out, f"{describe(data)}-{digest}.zip"))


if __name__ == "__main__":
    main()
