#!/usr/bin/python3
"""Checks the generated icons against their XPM drawings.

    check_icons.py RESOURCES_SOURCE_DIR ICO_FILE HICOLOR_DIR SIZE...

The .ico must hold exactly the three images of the program icon group, as
1-bit and 4-bit bitmaps, every pixel (colour and transparency) the
drawing's. Each hicolor PNG must be a drawing enlarged by a whole number.
"""

import os
import re
import struct
import sys
import zlib

from checks import expect, report

# (drawing, size, colours, bits per pixel), in the order of the icon group.
ICO_IMAGES = [("mirebo_32_mono.xpm", 32, 2, 1), ("mirebo_32.xpm", 32, 16, 4), ("mirebo_16.xpm", 16, 16, 4)]


def read_xpm(path):
    # Deliberately independent of the generator's reader.
    text = re.sub(r"/\*.*?\*/", "", open(path, encoding="ascii").read(), flags=re.S)
    s = re.findall(r'"([^"]*)"', text)
    w, h, n, cpp = map(int, s[0].split()[:4])
    colours = {}
    for line in s[1:1 + n]:
        v = line[cpp:].split()[-1]
        colours[line[:cpp]] = None if v.lower() == "none" else int(v.lstrip("#"), 16)
    return [[colours[r[i:i + cpp]] for i in range(0, w * cpp, cpp)] for r in s[1 + n:1 + n + h]]


def decode_bmp_icon(blob):
    """(bits, palette length, pixels) of one .ico image; None is transparent."""
    size, w, h2, planes, bits, comp, _, _, _, used, _ = struct.unpack_from("<IiiHHIIiiII", blob)
    h, ncol = h2 // 2, used or (1 << bits)
    pal = [(r << 16) | (g << 8) | b for b, g, r, _ in
           (struct.unpack_from("<BBBB", blob, size + 4 * i) for i in range(ncol))]
    xor_off, xor_stride, and_stride = size + 4 * ncol, ((w * bits + 31) // 32) * 4, ((w + 31) // 32) * 4
    and_off = xor_off + xor_stride * h
    expect(comp == 0 and planes == 1 and len(blob) == and_off + and_stride * h,
           "icon image is not an uncompressed single-plane bitmap of its own size")

    def bit(base, stride, depth, x, y):
        pos = x * depth
        return (blob[base + stride * (h - 1 - y) + pos // 8] >> (8 - depth - pos % 8)) & ((1 << depth) - 1)

    return bits, ncol, [[None if bit(and_off, and_stride, 1, x, y) else pal[bit(xor_off, xor_stride, bits, x, y)]
                         for x in range(w)] for y in range(h)]


def check_ico(path, drawings):
    data = open(path, "rb").read()
    _, kind, count = struct.unpack_from("<HHH", data)
    expect(kind == 1 and count == len(ICO_IMAGES), f".ico: type {kind}, {count} images")
    for i, (source, size, colours, bits) in enumerate(ICO_IMAGES[:count]):
        w, h, ncol, _, planes, ebits, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        got = (w, h, ncol, ebits) + decode_bmp_icon(data[offset:offset + length])
        expect(got == (size, size, colours, bits, bits, colours, drawings[source]),
               f".ico image {i}: {got[:6]} or its pixels differ from {source}")


def decode_png(path):
    data = open(path, "rb").read()
    expect(data[:8] == b"\x89PNG\r\n\x1a\n", f"{path}: not a PNG")
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
        expect(False, f"{path}: want 8-bit RGBA, non-interlaced, unfiltered")
        return None
    alpha = {raw[y * stride + 4 + 4 * x] for y in range(h) for x in range(w)}
    expect(alpha <= {0, 255}, f"{path}: partial transparency, the icon is not crisp")
    return [[None if raw[p + 3] == 0 else int.from_bytes(raw[p:p + 3], "big")
             for p in range(y * stride + 1, (y + 1) * stride, 4)] for y in range(h)]


def main():
    src, ico, hicolor, *sizes = sys.argv[1:]
    sizes = [int(s) for s in sizes]
    expect({16, 32, 48} <= set(sizes) and max(sizes) >= 128, f"hicolor sizes {sizes}")
    drawings = {d[0]: read_xpm(os.path.join(src, d[0])) for d in ICO_IMAGES}
    check_ico(ico, drawings)
    for size in sizes:
        path = os.path.join(hicolor, f"{size}x{size}", "apps", "mirebo.png")
        # Made from the largest drawing that divides the size.
        base = 32 if size % 32 == 0 else 16
        drawing, k = drawings[f"mirebo_{base}.xpm"], size // base
        want = [[drawing[y // k][x // k] for x in range(size)] for y in range(size)]
        expect(size % base == 0 and os.path.exists(path) and decode_png(path) == want,
               f"{path}: missing, or not the {base} px drawing enlarged {k} times")
    return report("icons as expected")


if __name__ == "__main__":
    sys.exit(main())
