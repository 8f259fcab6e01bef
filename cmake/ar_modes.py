"""ar_modes.py DEB...: gives every member of each Debian package the mode
dpkg-deb gives it, 0644. cpack takes the modes its files were written with,
which the umask decides, and the same package must come from any umask."""

import sys

for path in sys.argv[1:]:
    data = bytearray(open(path, "rb").read())
    if data[:8] != b"!<arch>\n":
        sys.exit(f"{path}: not an ar archive")
    pos = 8
    while pos + 60 <= len(data):
        data[pos + 40:pos + 48] = b"100644  "
        size = int(data[pos + 48:pos + 58])
        pos += 60 + size + (size & 1)
    open(path, "wb").write(data)
