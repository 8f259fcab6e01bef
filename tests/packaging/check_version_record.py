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
    ms, ls = (major << 16) | minor, patch << 16
    fixed = (ffi.FileVersionMS, ffi.FileVersionLS, ffi.ProductVersionMS, ffi.ProductVersionLS,
             ffi.FileFlagsMask, ffi.FileFlags, ffi.FileOS, ffi.FileType)
    # Release build, VOS__WINDOWS32, VFT_APP.
    expect(fixed == (ms, ls, ms, ls, 0x3F, 0, 0x4, 0x1), f"fixed file info {[hex(v) for v in fixed]}")
    tables = [t for info in pe.FileInfo[0] if info.Key == b"StringFileInfo" for t in info.StringTable]
    translations = [v.entry for info in pe.FileInfo[0] if info.Key == b"VarFileInfo" for v in info.Var]
    expect([t.LangID for t in tables] == [b"041104B0"], f"string tables {[t.LangID for t in tables]}")
    expect(translations == [{b"Translation": "0x0411 0x04b0"}], f"translation {translations}")
    strings = {k.decode(): v.decode("utf-8") for t in tables[:1] for k, v in t.entries.items()}
    # The display form of the version follows the numbers; nothing but these strings.
    want = dict(EXPECTED_STRINGS, LegalCopyright=strings.get("LegalCopyright", "").strip() or "(missing)")
    expect(strings.get("FileVersion") == f"{major}.{minor:02d}", "FileVersion does not follow the numbers")
    expect(strings == want, f"strings {strings}, want {want}")


def resources_of(pe, type_id):
    return {name.id: pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
            for t in pe.DIRECTORY_ENTRY_RESOURCE.entries if t.id == type_id
            for name in t.directory.entries for lang in name.directory.entries}


def check_icons(pe):
    groups = list(resources_of(pe, pefile.RESOURCE_TYPE["RT_GROUP_ICON"]).values())
    icons = resources_of(pe, pefile.RESOURCE_TYPE["RT_ICON"])
    expect(len(groups) == 1 and len(icons) == len(EXPECTED_ICONS), f"{len(groups)} icon groups, {len(icons)} icons")
    count = struct.unpack_from("<HHH", groups[0])[2] if groups else 0
    got = []
    for i in range(count):
        w, h, colours, _, _, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", groups[0], 6 + 14 * i)
        got.append((w or 256, h or 256, colours, bits))
        # The image itself must agree with its directory entry.
        image = icons.get(icon_id, b"\0" * 16)
        _, bw, bh, bplanes, bbits = struct.unpack_from("<IiiHH", image)
        expect((bw, bh // 2, bbits, bplanes, len(image)) == (w, h, bits, 1, size),
               f"icon {icon_id} missing or unlike its entry {w}x{h} {bits} bpp")
    expect(got == EXPECTED_ICONS, f"icon group {got}, want {EXPECTED_ICONS}")


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
