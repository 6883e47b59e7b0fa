#!/usr/bin/env python3
"""Writes the seed corpus of the image and sexagesimal fuzzers: small well-formed files of each
format (raw, FITS, XISF, PNG) and a few texts. Run from this folder; the output is committed."""

import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode())


def raw(signature, width, height, bytes_per_pixel):
    pixels = bytes((i * 37) & 0xFF for i in range(width * height * bytes_per_pixel))
    return signature + struct.pack("<II", width, height) + pixels


def fits(bitpix, axes, samples, zero=None):
    cards = ["SIMPLE  = %20s" % "T", "BITPIX  = %20d" % bitpix, "NAXIS   = %20d" % len(axes)]
    cards += ["NAXIS%-3d= %20d" % (i + 1, n) for i, n in enumerate(axes)]
    if bitpix == 16 and zero is None:
        zero = 32768
    if zero is not None:
        cards += ["BZERO   = %20d" % zero, "BSCALE  = %20d" % 1]
    cards.append("END")
    header = "".join(card.ljust(80) for card in cards)
    header = header.ljust((len(header) + 2879) // 2880 * 2880).encode("ascii")
    if bitpix == 8:
        data = bytes(s & 0xFF for s in samples)
    else:
        data = b"".join(struct.pack(">h", s - 32768) for s in samples)
    data += bytes(-len(data) % 2880)
    return header + data


def xisf(attributes, block, offset=256):
    header = ('<?xml version="1.0" encoding="UTF-8"?><xisf version="1.0"><Image %s/></xisf>' % attributes).encode()
    out = b"XISF0100" + struct.pack("<II", len(header), 0) + header
    return out + bytes(offset - len(out)) + block


def png(width, height):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    rows = b"".join(b"\0" + bytes((x * 40 + y * 7) & 0xFF for x in range(width)) for y in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 0, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


seeds = {
    "fuzz_raw": {
        "raw1": raw(b"RAW1", 8, 4, 1),
        "raw2": raw(b"RAW2", 8, 4, 2),
        "raw3": raw(b"RAW3", 4, 4, 3),
        "raw-short": raw(b"RAW3", 4, 4, 3)[:-1],
    },
    "fuzz_fits": {
        "grey8": fits(8, [8, 4], [i * 7 for i in range(32)]),
        "grey16": fits(16, [8, 4], [i * 2000 for i in range(32)]),
        "grey8-offset": fits(8, [8, 4], [i * 7 for i in range(32)], zero=32768),
        "cube8": fits(8, [4, 2, 3], [i * 10 for i in range(24)]),
        "cube16": fits(16, [4, 2, 3], [i * 2500 for i in range(24)]),
    },
    "fuzz_xisf": {
        "grey8": xisf('geometry="8:4:1" sampleFormat="UInt8" location="attachment:256:32"', bytes(range(32))),
        "grey16": xisf('geometry="4:4:1" sampleFormat="UInt16" location="attachment:256:32"', bytes(range(32))),
        "rgb-normal": xisf('geometry="4:2:3" sampleFormat="UInt8" pixelStorage="Normal" location="attachment:256:24"',
                           bytes(range(24))),
        "rgb-planar": xisf('geometry="4:2:3" sampleFormat="UInt8" location="attachment:256:24"', bytes(range(24))),
    },
    "fuzz_sexagesimal": {
        "hours": "12:30:00.0",
        "negative": "-10:30:15.5",
        "separators": "10'20*30 40",
        "exponent": "1e3:-2.5E-1",
    },
}
seeds["fuzz_image"] = {"png": png(8, 4)}
for target in ("fuzz_raw", "fuzz_fits", "fuzz_xisf"):
    for name, data in seeds[target].items():
        seeds["fuzz_image"][target[5:] + "-" + name] = data

for target, files in seeds.items():
    for name, data in files.items():
        write(target, name, data)
