#!/usr/bin/python3
"""Checks the generated icons against their XPM drawings.

    check_icons.py RESOURCES_SOURCE_DIR ICO_FILE HICOLOR_DIR SIZE...

The .ico must hold exactly the three images of the program icon group, with
1-bit and 4-bit bitmaps, and every pixel (colour and transparency) must be
the drawing's. Each hicolor PNG must be the drawing enlarged by a whole
number, pixel for pixel.
"""

import os
import re
import struct
import sys
import zlib

from checks import expect, report




def read_xpm(path):
    # Deliberately independent of the generator's reader.
    text = re.sub(r"/\*.*?\*/", "", open(path, encoding="ascii").read(), flags=re.S)
    s = re.findall(r'"([^"]*)"', text)
    w, h, n, cpp = map(int, s[0].split()[:4])
    colours = {}
    for line in s[1:1 + n]:
        v = line[cpp:].split()[-1]
        colours[line[:cpp]] = None if v.lower() == "none" else int(v.lstrip("#"), 16)
    rows = s[1 + n:1 + n + h]
    return [[colours[r[i:i + cpp]] for i in range(0, w * cpp, cpp)] for r in rows]


def decode_bmp_icon(blob):
    """Returns (width, height, bits, palette length, pixels) of one .ico image."""
    size, w, h2, planes, bits, comp, _, _, _, used, _ = struct.unpack_from("<IiiHHIIiiII", blob)
    h = h2 // 2
    ncol = used or (1 << bits)
    pal = [struct.unpack_from("<BBBB", blob, size + 4 * i) for i in range(ncol)]
    pal = [(r << 16) | (g << 8) | b for b, g, r, _ in pal]
    off = size + 4 * ncol
    xor_stride = ((w * bits + 31) // 32) * 4
    and_stride = ((w + 31) // 32) * 4
    and_off = off + xor_stride * h

    def bit(base, stride, depth, x, y):
        row = base + stride * (h - 1 - y)
        pos = x * depth
        byte = blob[row + pos // 8]
        return (byte >> (8 - depth - pos % 8)) & ((1 << depth) - 1)

    pixels = [[None if bit(and_off, and_stride, 1, x, y) else pal[bit(off, xor_stride, bits, x, y)]
               for x in range(w)] for y in range(h)]
    expect(comp == 0 and planes == 1, "icon image not an uncompressed single-plane bitmap")
    expect(len(blob) == and_off + and_stride * h, "icon image size does not match its bitmaps")
    return w, h, bits, ncol, pixels


def check_ico(path, drawings):
    data = open(path, "rb").read()
    _, kind, count = struct.unpack_from("<HHH", data)
    expect(kind == 1 and count == 3, f".ico: type {kind}, {count} images, want an icon with 3")
    want = [(32, 2, 1, "mirebo_32_mono.xpm"), (32, 16, 4, "mirebo_32.xpm"), (16, 16, 4, "mirebo_16.xpm")]
    for i, (size, colours, bits, source) in enumerate(want[:count]):
        w, h, ncol, _, planes, ebits, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        expect((w, h, ncol, ebits, planes) == (size, size, colours, bits, 1),
               f".ico entry {i}: {w}x{h} {ncol} colours {ebits} bpp, want {size}x{size} {colours} colours {bits} bpp")
        bw, bh, bbits, bcol, pixels = decode_bmp_icon(data[offset:offset + length])
        expect((bw, bh, bbits, bcol) == (size, size, bits, colours),
               f".ico image {i}: bitmap {bw}x{bh} {bbits} bpp {bcol} colours")
        expect(pixels == drawings[source], f".ico image {i} differs from {source}")
        opaque = {p for row in pixels for p in row if p is not None}
        expect(len(opaque) >= 2, f".ico image {i} has fewer than two colours")
        expect(any(p is None for row in pixels for p in row), f".ico image {i} has no transparent pixel")


def decode_png(path):
    data = open(path, "rb").read()
    expect(data[:8] == b"\x89PNG\r\n\x1a\n", f"{path}: not a PNG")
    pos, idat, ihdr = 8, b"", None
    while pos < len(data):
        n, kind = struct.unpack_from(">I4s", data, pos)
        body = data[pos + 8:pos + 8 + n]
        expect(zlib.crc32(kind + body) & 0xFFFFFFFF == struct.unpack_from(">I", data, pos + 8 + n)[0],
               f"{path}: bad CRC in {kind}")
        if kind == b"IHDR":
            ihdr = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + n
    w, h, depth, ctype, _, _, interlace = ihdr
    if (depth, ctype, interlace) != (8, 6, 0):
        expect(False, f"{path}: want 8-bit RGBA, non-interlaced")
        return w, h, None
    raw = zlib.decompress(idat)
    stride = 1 + 4 * w
    pixels = []
    for y in range(h):
        line = raw[y * stride:(y + 1) * stride]
        if line[0] != 0:
            expect(False, f"{path}: unexpected filter type {line[0]}")
            return w, h, None
        row = []
        for x in range(w):
            r, g, b, a = line[1 + 4 * x:5 + 4 * x]
            expect(a in (0, 255), f"{path}: partial transparency, the icon is not crisp")
            row.append(None if a == 0 else (r << 16) | (g << 8) | b)
        pixels.append(row)
    return w, h, pixels


def check_pngs(root, sizes, drawings):
    for size in sizes:
        path = os.path.join(root, f"{size}x{size}", "apps", "mirebo.png")
        if not os.path.exists(path):
            expect(False, f"missing {path}")
            continue
        w, h, pixels = decode_png(path)
        expect((w, h) == (size, size), f"{path}: {w}x{h}")
        if pixels is None:
            continue
        # Made from the largest drawing that divides the size.
        base = 32 if size % 32 == 0 else 16
        expect(size % base == 0, f"{size} px is not a whole multiple of a drawing")
        src = drawings["mirebo_32.xpm" if base == 32 else "mirebo_16.xpm"]
        k = size // base
        want = [[src[y // k][x // k] for x in range(size)] for y in range(size)]
        expect(pixels == want, f"{path}: not the {base} px drawing enlarged {k} times")


def main():
    src, ico, hicolor, *sizes = sys.argv[1:]
    sizes = [int(s) for s in sizes]
    for needed in (16, 32, 48):
        expect(needed in sizes, f"no {needed} px hicolor icon")
    expect(max(sizes) >= 128, "no large hicolor icon")
    drawings = {n: read_xpm(os.path.join(src, n))
                for n in ("mirebo_32_mono.xpm", "mirebo_32.xpm", "mirebo_16.xpm")}
    check_ico(ico, drawings)
    check_pngs(hicolor, sizes, drawings)
    return report("icons as expected")


if __name__ == "__main__":
    sys.exit(main())
