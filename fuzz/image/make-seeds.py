#!/usr/bin/env python3
"""Writes the seed corpus of the image and sexagesimal fuzzers: small well-formed files of each
format (raw, FITS, XISF, PNG, TIFF and JPEG carrying EXIF, DNG, WebP) and a few texts. Run from this folder; the output is committed."""

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


def tiff(entries, exif, pixels=b""):
    """A little-endian TIFF: entries (tag, type, count, value bytes) in the first directory with the
    strip offset (273) of the pixels at the end, and an EXIF directory (34665) when there is one."""
    def directory(items, start):
        values_start = start + 2 + 12 * len(items) + 4
        out, values = struct.pack("<H", len(items)), b""
        for tag, kind, count, value in items:
            out += struct.pack("<HHI", tag, kind, count)
            if len(value) <= 4:
                out += value.ljust(4, b"\0")
            else:
                out += struct.pack("<I", values_start + len(values))
                values += value + bytes(len(value) % 2)
        return out + struct.pack("<I", 0) + values

    entries = list(entries) + ([(34665, 4, 1, bytes(4))] if exif else [])
    entries.sort()
    exif_start = 8 + len(directory(entries, 8))
    exif_directory = directory(exif, exif_start) if exif else b""
    pointers = {34665: exif_start, 273: exif_start + len(exif_directory)}
    entries = [(t, k, c, struct.pack("<I", pointers[t]) if t in pointers else v) for t, k, c, v in entries]
    return b"II*\0" + struct.pack("<I", 8) + directory(entries, 8) + exif_directory + pixels


CAMERA = [(271, 2, 7, b"Kestor\0"), (272, 2, 5, b"Test\0")]
SHOT_EXIF = [(33434, 5, 1, struct.pack("<II", 1, 250)), (33437, 5, 1, struct.pack("<II", 28, 10)),
             (34855, 3, 1, struct.pack("<H", 800)), (36867, 2, 20, b"2026:12:07 03:04:05\0"),
             (37386, 5, 1, struct.pack("<II", 50, 1))]


def short(value):
    return struct.pack("<H", value)


def long(value):
    return struct.pack("<I", value)


def grey_tiff(width, height):
    pixels = bytes((x * 30 + y * 7) & 0xFF for y in range(height) for x in range(width))
    return tiff(CAMERA + [(256, 4, 1, long(width)), (257, 4, 1, long(height)), (258, 3, 1, short(8)),
                          (259, 3, 1, short(1)), (262, 3, 1, short(1)), (273, 4, 1, bytes(4)),
                          (277, 3, 1, short(1)), (278, 4, 1, long(height)), (279, 4, 1, long(len(pixels)))],
                SHOT_EXIF, pixels)


def dng(width, height):
    """An uncompressed 16-bit RGGB mosaic that LibRaw reads."""
    pixels = b"".join(short(1000 + 40 * x + 20 * y) for y in range(height) for x in range(width))
    identity = b"".join(struct.pack("<iI", 10000 if i % 4 == 0 else 0, 10000) for i in range(9))
    return tiff(CAMERA + [(254, 4, 1, long(0)), (256, 4, 1, long(width)), (257, 4, 1, long(height)),
                          (258, 3, 1, short(16)), (259, 3, 1, short(1)), (262, 3, 1, short(32803)),
                          (273, 4, 1, bytes(4)), (277, 3, 1, short(1)), (278, 4, 1, long(height)),
                          (279, 4, 1, long(len(pixels))), (284, 3, 1, short(1)), (33421, 3, 2, short(2) + short(2)),
                          (33422, 1, 4, b"\0\1\1\2"), (50706, 1, 4, b"\1\4\0\0"),
                          (50708, 2, 12, b"Kestor Test\0"), (50721, 10, 9, identity)],
                SHOT_EXIF, pixels)


def jpeg_with_exif():
    """An 8 x 8 grey baseline JPEG (every coefficient 0) with the EXIF in an APP1 segment."""
    def segment(marker, body):
        return bytes([0xFF, marker]) + struct.pack(">H", len(body) + 2) + body
    one_code = bytes([1] + [0] * 15) + b"\0"  # one code of length 1, for the symbol 0
    return (b"\xff\xd8" + segment(0xE1, b"Exif\0\0" + tiff(CAMERA, SHOT_EXIF))
            + segment(0xDB, b"\0" + bytes([1] * 64)) + segment(0xC0, struct.pack(">BHHB", 8, 8, 8, 1) + b"\1\x11\0")
            + segment(0xC4, b"\0" + one_code) + segment(0xC4, b"\x10" + one_code)
            + segment(0xDA, b"\1\1\0\0\x3f\0") + b"\x3f\xff\xd9")


# An 8 x 4 lossless WebP written by Qt's plugin.
WEBP = bytes.fromhex("524946462c000000574542505650384c200000002f07c00000998ce87f6c22a2ff01856c234083387f"
                     "da17613c862c2600c98b1b")


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
seeds["fuzz_image"] = {"png": png(8, 4), "tiff-exif": grey_tiff(8, 4), "jpeg-exif": jpeg_with_exif(),
                       "dng": dng(32, 24), "webp": WEBP}
for target in ("fuzz_raw", "fuzz_fits", "fuzz_xisf"):
    for name, data in seeds[target].items():
        seeds["fuzz_image"][target[5:] + "-" + name] = data

for target, files in seeds.items():
    for name, data in files.items():
        write(target, name, data)
