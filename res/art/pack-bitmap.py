#!/usr/bin/env python3
"""Packs a BMP file for the resources: the bitmap without its file header (a packed DIB, as
CreateDIBSection takes it), compressed with zlib, after its length as 4 bytes little-endian.
The program unpacks it at the first paint (ui::LoadPicture): the pixels are the same.

  pack-bitmap.py IN.bmp OUT.dibz
"""
import struct
import sys
import zlib

data = open(sys.argv[1], "rb").read()
if data[:2] != b"BM":
    sys.exit("%s: not a BMP file" % sys.argv[1])
dib = data[14:]
header_size, width, height, planes, bits, compression = struct.unpack_from("<IiiHHI", dib)
if header_size < 40 or compression != 0:
    sys.exit("%s: only uncompressed bitmaps with a BITMAPINFOHEADER are packed" % sys.argv[1])
with open(sys.argv[2], "wb") as out:
    out.write(struct.pack("<I", len(dib)))
    out.write(zlib.compress(dib, 9))
