#!/usr/bin/python3
"""Builds the program's icon files from the XPM sources.

    make_icons.py --ico OUT.ico --png-dir DIR MONO32.xpm COLOUR32.xpm COLOUR16.xpm

Writes the Windows icon (exactly three images: 32 x 32 in 2 colours, 32 x 32
in 16 colours, 16 x 16 in 16 colours, in that order) and the hicolor theme
PNGs DIR/NxN/apps/mirebo.png. The larger PNGs are whole-number enlargements
of the 16 and 32 pixel drawings, pixel for pixel, so they stay as sharp as the
originals instead of being smeared by a filter.

The .ico is written here rather than by an image tool because its bit depths
are part of the program's interface: the 2-colour image must be a 1-bit
bitmap and the 16-colour ones 4-bit bitmaps with the standard Windows
palette, and general converters tend to "improve" that to 32 bits.

Only the Python standard library is used, so the build needs nothing beyond
Debian's python3.
"""

import argparse
import os
import re
import struct
import sys
import zlib

# The 16 colours of the Windows standard palette, in palette order. The
# 16-colour drawings may use these and nothing else, so that every pixel maps
# to a palette index exactly.
VGA16 = [
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
]
MONO = [0x000000, 0xFFFFFF]

NAMED = {"black": 0x000000, "white": 0xFFFFFF}

# hicolor sizes and the drawing each is made from, with its enlargement.
PNG_SIZES = {16: (16, 1), 32: (32, 1), 48: (16, 3), 64: (32, 2), 128: (32, 4), 256: (32, 8)}


class Image:
    """A drawing: width, height and rows of pixels, None for transparent."""

    def __init__(self, width, height, pixels):
        self.width, self.height, self.pixels = width, height, pixels

    def colours(self):
        return {p for row in self.pixels for p in row if p is not None}


def read_xpm(path):
    with open(path, encoding="ascii") as f:
        text = f.read()
    if not text.startswith("/* XPM */"):
        raise ValueError(f"{path}: not an XPM file")
    # Comments may hold quotes of their own; only the strings count.
    text = re.sub(r"/\*.*?\*/", "", text, flags=re.S)
    strings = re.findall(r'"([^"]*)"', text)
    width, height, ncolours, cpp = (int(v) for v in strings[0].split()[:4])
    table = {}
    for line in strings[1:1 + ncolours]:
        key, rest = line[:cpp], line[cpp:].split()
        if "c" not in rest:
            raise ValueError(f"{path}: colour {key!r} has no 'c' entry")
        value = rest[rest.index("c") + 1]
        if value.lower() == "none":
            table[key] = None
        elif value.startswith("#") and len(value) == 7:
            table[key] = int(value[1:], 16)
        elif value.lower() in NAMED:
            table[key] = NAMED[value.lower()]
        else:
            raise ValueError(f"{path}: unsupported colour {value!r}")
    rows = strings[1 + ncolours:1 + ncolours + height]
    if len(rows) != height or any(len(r) != width * cpp for r in rows):
        raise ValueError(f"{path}: pixel rows do not match {width} x {height}")
    pixels = [[table[r[i:i + cpp]] for i in range(0, len(r), cpp)] for r in rows]
    return Image(width, height, pixels)


def check(image, path, size, palette):
    if (image.width, image.height) != (size, size):
        raise ValueError(f"{path}: must be {size} x {size}, is {image.width} x {image.height}")
    stray = image.colours() - set(palette)
    if stray:
        raise ValueError(f"{path}: colours outside the palette: "
                         + ", ".join(f"#{c:06X}" for c in sorted(stray)))


def bmp_entry(image, palette, bits):
    """One icon image: BITMAPINFOHEADER, palette, XOR bitmap, AND mask."""
    w, h = image.width, image.height

    def packed_rows(values, depth):
        # Bottom-up rows, each padded to a multiple of four bytes.
        out = bytearray()
        for row in reversed(values):
            acc, nbits, line = 0, 0, bytearray()
            for v in row:
                acc = (acc << depth) | v
                nbits += depth
                if nbits == 8:
                    line.append(acc)
                    acc, nbits = 0, 0
            if nbits:
                line.append(acc << (8 - nbits))
            line.extend(b"\0" * (-len(line) % 4))
            out += line
        return bytes(out)

    # Transparent pixels are index 0 (black) in the colour bitmap and set in
    # the mask, which is what Windows expects of a masked icon.
    index = [[palette.index(p) if p is not None else 0 for p in row] for row in image.pixels]
    mask = [[1 if p is None else 0 for p in row] for row in image.pixels]
    xor, andmask = packed_rows(index, bits), packed_rows(mask, 1)
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, bits, 0,
                         len(xor) + len(andmask), 0, 0, len(palette), 0)
    colours = b"".join(struct.pack("<BBBB", c & 0xFF, (c >> 8) & 0xFF, c >> 16, 0) for c in palette)
    return header + colours + xor + andmask


def write_ico(path, entries):
    """entries: (image, palette, bits) in the order they go in the file."""
    blobs = [bmp_entry(img, pal, bits) for img, pal, bits in entries]
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for (img, pal, bits), blob in zip(entries, blobs):
        out += struct.pack("<BBBBHHII", img.width % 256, img.height % 256,
                           len(pal) % 256, 0, 1, bits, len(blob), offset)
        offset += len(blob)
    out += b"".join(blobs)
    with open(path, "wb") as f:
        f.write(out)


def write_png(path, image, scale):
    w, h = image.width * scale, image.height * scale
    raw = bytearray()
    for row in image.pixels:
        line = bytearray(b"\0")  # filter type: none
        for p in row:
            px = bytes((0, 0, 0, 0)) if p is None else bytes((p >> 16, (p >> 8) & 0xFF, p & 0xFF, 255))
            line += px * scale
        raw += bytes(line) * scale

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    png = (b"\x89PNG\r\n\x1a\n"
           + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
           + chunk(b"IEND", b""))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(png)


def main(argv):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--ico", required=True)
    ap.add_argument("--png-dir", required=True)
    ap.add_argument("--name", default="mirebo")
    ap.add_argument("mono32")
    ap.add_argument("colour32")
    ap.add_argument("colour16")
    args = ap.parse_args(argv)

    mono32, colour32, colour16 = (read_xpm(p) for p in (args.mono32, args.colour32, args.colour16))
    check(mono32, args.mono32, 32, MONO)
    check(colour32, args.colour32, 32, VGA16)
    check(colour16, args.colour16, 16, VGA16)

    write_ico(args.ico, [(mono32, MONO, 1), (colour32, VGA16, 4), (colour16, VGA16, 4)])
    sources = {16: colour16, 32: colour32}
    for size, (base, scale) in PNG_SIZES.items():
        write_png(os.path.join(args.png_dir, f"{size}x{size}", "apps", f"{args.name}.png"),
                  sources[base], scale)
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except ValueError as e:
        print(f"make_icons: {e}", file=sys.stderr)
        sys.exit(1)
