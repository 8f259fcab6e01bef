#!/usr/bin/python3

import os
import struct
import sys
import zlib

import checks
from checks import check_icon_group, expect, read_xpm, report


def decode_png(path):
    data = open(path, "rb").read()
    pos, idat, ihdr = 8, b"", None
    while pos < len(data):
        n, kind = struct.unpack_from(">I4s", data, pos)
        body = data[pos + 8:pos + 8 + n]
        expect(zlib.crc32(kind + body) == struct.unpack_from(">I", data, pos + 8 + n)[0], f"{path}: bad CRC")
        ihdr = struct.unpack(">IIBBBBB", body) if kind == b"IHDR" else ihdr
        idat += body if kind == b"IDAT" else b""
        pos += 12 + n
    w, h, depth, ctype, _, _, interlace = ihdr
    raw, stride = zlib.decompress(idat), 1 + 4 * w
    if (depth, ctype, interlace) != (8, 6, 0) or any(raw[y * stride] for y in range(h)):
        return f"{path}: want 8-bit RGBA, non-interlaced, unfiltered"
    expect({raw[y * stride + 4 + 4 * x] for y in range(h) for x in range(w)} <= {0, 255}, f"{path}: partial transparency, not crisp")
    return [[None if raw[p + 3] == 0 else int.from_bytes(raw[p:p + 3], "big")
             for p in range(y * stride + 1, (y + 1) * stride, 4)] for y in range(h)]


def main():
    checks.RESOURCES, ico, hicolor, *sizes = sys.argv[1:]
    sizes = [int(s) for s in sizes]
    expect({16, 32, 48} <= set(sizes) and max(sizes) >= 128, f"hicolor sizes {sizes}")
    data = open(ico, "rb").read()
    check_icon_group(".ico", data, "<BBBBHHII", lambda offset, length: data[offset:offset + length])
    for size in sizes:
        path = os.path.join(hicolor, f"{size}x{size}", "apps", "mirebo.png")
        base = 32 if size % 32 == 0 else 16  # the largest drawing that divides the size
        drawing, k = read_xpm(f"mirebo_{base}.xpm"), size // base
        want = [[drawing[y // k][x // k] for x in range(size)] for y in range(size)]
        expect(size % base == 0 and os.path.exists(path) and decode_png(path) == want,
               f"{path}: missing, or not the {base} px drawing enlarged {k} times")
    return report("icons as expected")


if __name__ == "__main__":
    sys.exit(main())
