#!/usr/bin/python3
"""Validates the .desktop file and the AppStream metainfo with the
freedesktop tools and checks the entries the desktop relies on.

    check_desktop.py DESKTOP_FILE METAINFO_FILE TITLE VERSION
"""

import re
import subprocess
import sys
import xml.etree.ElementTree as ET

from checks import expect, report

LANG = "{http://www.w3.org/XML/1998/namespace}lang"


def run(cmd):
    p = subprocess.run(cmd, capture_output=True, text=True)
    return p.returncode, (p.stdout + p.stderr).strip()


def check_desktop(path, title):
    # desktop-file-validate exits 0 on warnings too; any remark is a failure.
    rc, out = run(["desktop-file-validate", path])
    expect(rc == 0 and not out, f"desktop-file-validate: {out or rc}")
    entries = dict(line.rstrip("\n").split("=", 1) for line in open(path, encoding="utf-8")
                   if "=" in line and not line.startswith("#"))
    want = {"Type": "Application", "Name": title, "Name[ja]": title, "Categories": "Utility;Clock;",
            "Icon": "mirebo"}  # the hicolor icons are mirebo.png
    got = {k: entries.get(k) for k in want}
    expect(got == want, f"desktop entries {got}, want {want}")
    expect(bool(entries.get("Comment")), "no Comment")
    expect(entries.get("Exec", "").split(" ")[0] in ("mirebo", "/usr/bin/mirebo"), f"Exec {entries.get('Exec')!r}")


def check_metainfo(path, title, version):
    # --pedantic: the file passes without any remark, not only without errors.
    rc, out = run(["appstreamcli", "validate", "--no-net", "--pedantic", "--no-color", path])
    expect(rc == 0 and not re.search(r"^[EWIP]: ", out, re.M), f"appstreamcli validate: {out}")
    root = ET.parse(path).getroot()
    japanese = {e.tag: e.text for e in root if e.get(LANG) == "ja"}
    expect(japanese == {"name": title, "summary": "デスクトップカレンダー"}, f"Japanese texts {japanese}")
    expect(root.findtext("launchable[@type='desktop-id']") == "mirebo.desktop", "launchable")
    releases = [r.get("version") for r in root.findall("releases/release")]
    expect(version in releases, f"release {version} not in {releases}")
    expect(len(root.findall("screenshots/screenshot")) >= 2, "want screenshots of the today window and a calendar")


def main():
    desktop, metainfo, title, version = sys.argv[1:5]
    check_desktop(desktop, title)
    check_metainfo(metainfo, title, version)
    return report("desktop file and metainfo as expected")


if __name__ == "__main__":
    sys.exit(main())
