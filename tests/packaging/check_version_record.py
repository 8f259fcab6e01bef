#!/usr/bin/python3

import os
import subprocess
import sys
import tempfile

import pefile

from checks import EXPECTED, check_icon_group, expect, report


def build_stub(rc, work):
    # The host cpp preprocesses; a one-instruction entry point makes a real PE image.
    res, asm, stub, exe = (os.path.join(work, f) for f in ("res.o", "stub.s", "stub.o", "Mirebo.exe"))
    subprocess.run(["x86_64-w64-mingw32-windres", "--preprocessor=cpp", "--preprocessor-arg=-E",
                    "--preprocessor-arg=-xc", "--preprocessor-arg=-DRC_INVOKED", "-O", "coff", "-i", rc, "-o", res],
                   check=True)
    open(asm, "w").write("\t.text\n\t.globl start\nstart:\n\tret\n")
    subprocess.run(["x86_64-w64-mingw32-as", asm, "-o", stub], check=True)
    subprocess.run(["x86_64-w64-mingw32-ld", "--subsystem", "windows", "-e", "start", "-o", exe, stub, res], check=True)
    return exe


def check_version(pe, major, minor, patch, copyright):
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
    # The About window's copyright line, from the build's one definition.
    want = dict(EXPECTED["version_strings"], LegalCopyright=copyright or strings.get("LegalCopyright", "").strip() or "(missing)")
    expect(strings == want, f"strings {strings}, want {want}")


def check_hardening(pe):
    # ASLR with high-entropy addresses and relocations to move by, NX (BinSkim BA2009, BA2015, BA2016), nothing
    # writable and executable, the load configuration's DependentLoadFlags (a WORD at 78) LOAD_LIBRARY_SEARCH_SYSTEM32,
    # and no static import but KnownDLLs and API sets: the rest are loaded by name after main() restricts the search.
    header, directory = pe.OPTIONAL_HEADER, pe.OPTIONAL_HEADER.DATA_DIRECTORY
    imported = {e.dll.decode().lower() for e in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])}
    facts = {"ASLR, high entropy": header.IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE and directory[5].Size > 0
             and header.IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA, "NX": header.IMAGE_DLLCHARACTERISTICS_NX_COMPAT,
             "no section writable and executable": not any(s.IMAGE_SCN_MEM_WRITE and s.IMAGE_SCN_MEM_EXECUTE for s in pe.sections),
             "DependentLoadFlags": directory[10].Size >= 80 and pe.get_word_at_rva(directory[10].VirtualAddress + 78) == 0x800,
             "only KnownDLLs imported": {d for d in imported if not d.startswith("api-ms-")} <= set(EXPECTED["known_dlls"])}
    expect(all(facts.values()), f"hardening: not {[fact for fact, holds in facts.items() if not holds]}")


def resources_of(pe, kind):
    return {name.id: pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
            for t in pe.DIRECTORY_ENTRY_RESOURCE.entries if t.id == pefile.RESOURCE_TYPE[kind]
            for name in t.directory.entries for lang in name.directory.entries}


def main():
    source, major, minor, patch = sys.argv[1], *map(int, sys.argv[2:5])
    copyright = sys.argv[5] if len(sys.argv) > 5 else None
    with tempfile.TemporaryDirectory(prefix="mirebo-rc.") as work:
        exe = source.lower().endswith(".exe")
        pe = pefile.PE(source if exe else build_stub(source, work))
        expect(pe.OPTIONAL_HEADER.Subsystem == pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"], "not a GUI program")
        check_version(pe, major, minor, patch, copyright)
        if exe:
            check_hardening(pe)
        groups, icons = list(resources_of(pe, "RT_GROUP_ICON").values()), resources_of(pe, "RT_ICON")
        expect(len(groups) == 1 and len(icons) == len(EXPECTED["icon_group"]), f"{len(groups)} groups, {len(icons)} icons")
        check_icon_group("icon group", groups[0] if groups else b"\0" * 6, "<BBBBHHIH",
                         lambda icon_id, size: icons.get(icon_id, b""))
    return report("version record and icon group as expected" + (", and the executable hardened" if exe else ""))


if __name__ == "__main__":
    sys.exit(main())
