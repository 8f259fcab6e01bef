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

XML_LANG = "{http://www.w3.org/XML/1998/namespace}lang"



def run(cmd):
    p = subprocess.run(cmd, capture_output=True, text=True)
    return p.returncode, (p.stdout + p.stderr).strip()


def check_desktop(path, title):
    # desktop-file-validate exits 0 on warnings too; any remark is a failure.
    rc, out = run(["desktop-file-validate", path])
    expect(rc == 0 and not out, f"desktop-file-validate: {out or rc}")
    entries = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            if "=" in line and not line.startswith("#"):
                k, v = line.rstrip("\n").split("=", 1)
                entries[k] = v
    expect(entries.get("Type") == "Application", "Type is not Application")
    expect(entries.get("Name") == title, f"Name is {entries.get('Name')!r}")
    expect(entries.get("Name[ja]") == title, f"Name[ja] is {entries.get('Name[ja]')!r}")
    expect(bool(entries.get("Comment")), "no Comment")
    expect(entries.get("Categories") == "Utility;Clock;", f"Categories {entries.get('Categories')!r}")
    expect(entries.get("Icon") == "mirebo", f"Icon {entries.get('Icon')!r}, the hicolor icons are mirebo.png")
    expect(entries.get("Exec", "").split(" ")[0] in ("mirebo", "/usr/bin/mirebo"),
           f"Exec {entries.get('Exec')!r}")


def check_metainfo(path, title, version):
    # --pedantic: the file passes without any remark, not only without errors.
    rc, out = run(["appstreamcli", "validate", "--no-net", "--pedantic", "--no-color", path])
    expect(rc == 0 and not re.search(r"^[EWIP]: ", out, re.M), f"appstreamcli validate: {out}")
    root = ET.parse(path).getroot()
    expect(root.get("type") == "desktop-application", "component type")
    cid = root.findtext("id", "")
    expect(re.fullmatch(r"[a-z][a-z0-9]*(\.[a-z0-9_]+){2,}", cid) is not None, f"id {cid!r} is not reverse-DNS")
    expect(bool(root.findtext("metadata_license")), "no metadata_license")
    expect(bool(root.findtext("project_license")), "no project_license")
    names = {n.get(XML_LANG): n.text for n in root.findall("name")}
    expect(names.get("ja") == title, f"Japanese name {names.get('ja')!r}")
    summaries = {s.get(XML_LANG): s.text for s in root.findall("summary")}
    expect(summaries.get("ja") == "デスクトップカレンダー", f"Japanese summary {summaries.get('ja')!r}")
    expect(len(root.findall("description/p")) >= 1, "no description")
    expect(root.findtext("launchable[@type='desktop-id']") == "mirebo.desktop", "launchable")
    releases = [r.get("version") for r in root.findall("releases/release")]
    expect(version in releases, f"release {version} not in {releases}")
    shots = root.findall("screenshots/screenshot")
    expect(len(shots) >= 2, "want screenshots of the today window and a calendar")
    expect(root.find("content_rating") is not None, "no content_rating")


def main():
    desktop, metainfo, title, version = sys.argv[1:5]
    check_desktop(desktop, title)
    check_metainfo(metainfo, title, version)
    return report("desktop file and metainfo as expected")


if __name__ == "__main__":
    sys.exit(main())
