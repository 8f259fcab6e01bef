#!/usr/bin/python3
"""pe_load_config.py EXE: points EXE's load configuration directory entry at
the structure in its section .loadcfg (src/loadconfig_win.cpp), as a linker
that knows _load_config_used does; GNU ld 2.40 does not. The entry's size is
the structure's own first field. An entry already there must be that one."""

import sys

import pefile


def main(path):
    pe = pefile.PE(path)
    sections = [s for s in pe.sections if s.Name.rstrip(b"\0") == b".loadcfg"]
    if len(sections) != 1:
        sys.exit(f"pe_load_config: {path} has {len(sections)} sections .loadcfg, not one")
    rva = sections[0].VirtualAddress
    size = pe.get_dword_at_rva(rva)
    entry = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG"]]
    if (entry.VirtualAddress, entry.Size) == (rva, size):
        return
    if entry.VirtualAddress:
        sys.exit(f"pe_load_config: {path} has another load configuration at {entry.VirtualAddress:#x}")
    entry.VirtualAddress, entry.Size = rva, size
    data = pe.write()
    pe.close()
    # The header's checksum, which the linker wrote, over the changed image.
    pe = pefile.PE(data=data)
    pe.OPTIONAL_HEADER.CheckSum = pe.generate_checksum()
    with open(path, "wb") as out:
        out.write(pe.write())


if __name__ == "__main__":
    main(sys.argv[1])
