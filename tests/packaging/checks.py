"""What the packaging checks share."""

import json
import os
import re
import struct

failures = []
EXPECTED = json.load(open(os.path.join(os.path.dirname(__file__), "expected.json"), encoding="utf-8"))
RESOURCES = os.path.join(os.path.dirname(__file__), "..", "..", "resources")


def expect(cond, what):
    if not cond:
        failures.append(what)


def report(success):
    print("\n".join("FAIL: " + f for f in failures) or success)
    return 1 if failures else 0


def read_xpm(name):
    # Deliberately independent of the generator's reader.
    text = re.sub(r"/\*.*?\*/", "", open(os.path.join(RESOURCES, name), encoding="ascii").read(), flags=re.S)
    s = re.findall(r'"([^"]*)"', text)
    w, h, n, cpp = map(int, s[0].split()[:4])
    colours = {line[:cpp]: line[cpp:].split()[-1].lower() for line in s[1:1 + n]}
    colours = {k: None if v == "none" else int(v.lstrip("#"), 16) for k, v in colours.items()}
    return [[colours[r[i:i + cpp]] for i in range(0, w * cpp, cpp)] for r in s[1 + n:1 + n + h]]


def decode_bmp_icon(blob):
    # (bits, palette length, pixels); None is transparent.
    size, w, h2, planes, bits, comp, _, _, _, used, _ = struct.unpack_from("<IiiHHIIiiII", blob)
    h, ncol = h2 // 2, used or (1 << bits)
    pal = [(r << 16) | (g << 8) | b for b, g, r, _ in struct.iter_unpack("<BBBB", blob[size:size + 4 * ncol])]
    xor_off, xor_stride, and_stride = size + 4 * ncol, ((w * bits + 31) // 32) * 4, ((w + 31) // 32) * 4
    and_off = xor_off + xor_stride * h
    expect(comp == 0 and planes == 1 and len(blob) == and_off + and_stride * h,
           "icon image is not an uncompressed single-plane bitmap of its own size")

    def bit(base, stride, depth, x, y):
        pos = x * depth
        return (blob[base + stride * (h - 1 - y) + pos // 8] >> (8 - depth - pos % 8)) & ((1 << depth) - 1)

    return bits, ncol, [[None if bit(and_off, and_stride, 1, x, y) else pal[bit(xor_off, xor_stride, bits, x, y)]
                         for x in range(w)] for y in range(h)]


def check_icon_group(what, data, entry_format, image_of):
    _, kind, count = struct.unpack_from("<HHH", data)
    expect(kind == 1 and count == len(EXPECTED["icon_group"]), f"{what}: type {kind}, {count} images")
    for i, (source, size, colours, bits) in enumerate(EXPECTED["icon_group"][:count]):
        w, h, ncol, _, _, ebits, length, ref = struct.unpack_from(entry_format, data, 6 + struct.calcsize(entry_format) * i)
        image = image_of(ref, length)
        got = (w, h, ncol, ebits, len(image) == length) + (decode_bmp_icon(image) if len(image) >= 40 else ())
        expect(got == (size, size, colours, bits, True, bits, colours, read_xpm(source)),
               f"{what} image {i}: {got[:7]} or its pixels differ from {source}")
