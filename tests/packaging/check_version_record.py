#!/usr/bin/python3
"""Compiles the Windows resource script with mingw-w64 windres, links it into
a stub executable and reads the version record and icon group back with
pefile, so the record is checked the way Windows will read it.

    check_version_record.py RC_FILE MAJOR MINOR PATCH
    check_version_record.py Mirebo.exe MAJOR MINOR PATCH   (the real program)
"""

import os
import struct
import subprocess
import sys
import tempfile

import pefile

from checks import expect, report

EXPECTED_STRINGS = {
    "FileDescription": "デスクトップカレンダー",
    "ProductName": "ミレボナ",
    "FileVersion": "1.01",
    "ProductVersion": "1.01",
    "InternalName": "Mirebo",
    "OriginalFilename": "Mirebo.exe",
}
FORBIDDEN = ("CompanyName", "Comments", "LegalTrademarks")
# (width, height, colours, bits per pixel), in the order of the group.
EXPECTED_ICONS = [(32, 32, 2, 1), (32, 32, 16, 4), (16, 16, 16, 4)]




def build_stub(rc, work):
    res = os.path.join(work, "res.o")
    # No mingw compiler is needed: the host cpp preprocesses, the script's
    # own pragma declares it UTF-8, and a one-instruction entry point makes
    # the linker produce a real PE image.
    subprocess.run(["x86_64-w64-mingw32-windres", "--preprocessor=cpp",
                    "--preprocessor-arg=-E", "--preprocessor-arg=-xc",
                    "--preprocessor-arg=-DRC_INVOKED",
                    "-O", "coff", "-i", rc, "-o", res], check=True)
    asm = os.path.join(work, "stub.s")
    with open(asm, "w") as f:
        f.write("\t.text\n\t.globl start\nstart:\n\tret\n")
    subprocess.run(["x86_64-w64-mingw32-as", asm, "-o", os.path.join(work, "stub.o")], check=True)
    exe = os.path.join(work, "Mirebo.exe")
    subprocess.run(["x86_64-w64-mingw32-ld", "--subsystem", "windows", "-e", "start",
                    "-o", exe, os.path.join(work, "stub.o"), res], check=True)
    return exe


def check_version(pe, major, minor, patch):
    ffi = pe.VS_FIXEDFILEINFO[0]
    ms, ls = (major << 16) | minor, (patch << 16) | 0
    expect(ffi.FileVersionMS == ms and ffi.FileVersionLS == ls,
           f"FILEVERSION {ffi.FileVersionMS:#x},{ffi.FileVersionLS:#x}, want {major},{minor},{patch},0")
    expect(ffi.ProductVersionMS == ms and ffi.ProductVersionLS == ls,
           f"PRODUCTVERSION {ffi.ProductVersionMS:#x},{ffi.ProductVersionLS:#x}")
    expect(ffi.FileFlagsMask == 0x3F, f"FILEFLAGSMASK {ffi.FileFlagsMask:#x}")
    expect(ffi.FileFlags == 0, f"FILEFLAGS {ffi.FileFlags:#x} in a release build")
    expect(ffi.FileOS == 0x4, f"FILEOS {ffi.FileOS:#x}, want VOS__WINDOWS32")
    expect(ffi.FileType == 0x1, f"FILETYPE {ffi.FileType:#x}, want VFT_APP")

    tables, translations = [], []
    for info in pe.FileInfo[0]:
        if info.Key == b"StringFileInfo":
            tables += info.StringTable
        elif info.Key == b"VarFileInfo":
            translations += [v.entry for v in info.Var]
    expect([t.LangID for t in tables] == [b"041104B0"],
           f"string tables {[t.LangID for t in tables]}, want one 041104B0")
    expect(translations == [{b"Translation": "0x0411 0x04b0"}], f"translation {translations}")
    if not tables:
        return
    strings = {k.decode(): v.decode("utf-8") for k, v in tables[0].entries.items()}
    for key, value in EXPECTED_STRINGS.items():
        expect(strings.get(key) == value, f"{key} is {strings.get(key)!r}, want {value!r}")
    expect(bool(strings.get("LegalCopyright", "").strip()), "LegalCopyright missing or empty")
    for key in FORBIDDEN:
        expect(key not in strings, f"{key} must not be in the record")
    extra = set(strings) - set(EXPECTED_STRINGS) - {"LegalCopyright"}
    expect(not extra, f"unexpected strings {sorted(extra)}")
    # The display form of the version follows the numbers.
    expect(strings.get("FileVersion") == f"{major}.{minor:02d}", "FileVersion does not follow the numbers")


def resources_of(pe, type_id):
    out = {}
    for t in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if t.id == type_id:
            for name in t.directory.entries:
                for lang in name.directory.entries:
                    d = lang.data.struct
                    out[name.id] = pe.get_data(d.OffsetToData, d.Size)
    return out


def check_icons(pe):
    groups = resources_of(pe, pefile.RESOURCE_TYPE["RT_GROUP_ICON"])
    icons = resources_of(pe, pefile.RESOURCE_TYPE["RT_ICON"])
    expect(len(groups) == 1, f"{len(groups)} icon groups, want 1")
    if not groups:
        return
    data = next(iter(groups.values()))
    _, kind, count = struct.unpack_from("<HHH", data)
    expect(kind == 1, "icon group type is not 1")
    got = []
    for i in range(count):
        w, h, colours, _, planes, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", data, 6 + 14 * i)
        got.append((w or 256, h or 256, colours, bits))
        image = icons.get(icon_id)
        if image is None:
            expect(False, f"icon {icon_id} of the group is missing")
            continue
        # The image itself must agree with its directory entry.
        _, bw, bh, bplanes, bbits = struct.unpack_from("<IiiHH", image)
        expect((bw, bh // 2, bbits, bplanes) == (w, h, bits, 1),
               f"icon {icon_id}: bitmap {bw}x{bh // 2} {bbits} bpp, entry {w}x{h} {bits} bpp")
        expect(len(image) == size, f"icon {icon_id}: {len(image)} bytes, entry says {size}")
    expect(got == EXPECTED_ICONS, f"icon group {got}, want {EXPECTED_ICONS}")
    expect(len(icons) == len(EXPECTED_ICONS), f"{len(icons)} icon images, want {len(EXPECTED_ICONS)}")


def main():
    source, major, minor, patch = sys.argv[1], *map(int, sys.argv[2:5])
    with tempfile.TemporaryDirectory(prefix="mirebo-rc.") as work:
        exe = source.lower().endswith(".exe")
        pe = pefile.PE(source if exe else build_stub(source, work))
        if exe:
            gui = pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]
            expect(pe.OPTIONAL_HEADER.Subsystem == gui, "not a GUI-subsystem program")
        check_version(pe, major, minor, patch)
        check_icons(pe)
    return report("version record and icon group as expected")


if __name__ == "__main__":
    sys.exit(main())
