#!/usr/bin/python3

import re
import subprocess
import sys
import xml.etree.ElementTree as ET

from checks import EXPECTED, expect, report


def validate(*cmd, remark=r"\S"):
    # Any remark fails, warnings included (desktop-file-validate exits 0 on them).
    p = subprocess.run(cmd, capture_output=True, text=True)
    out = (p.stdout + p.stderr).strip()
    expect(p.returncode == 0 and not re.search(remark, out, re.M), f"{cmd[0]}: {out}")


def main():
    desktop, metainfo, title, version = sys.argv[1:5]
    validate("desktop-file-validate", desktop)
    entries = dict(line.rstrip("\n").split("=", 1) for line in open(desktop, encoding="utf-8") if "=" in line)
    want = dict(EXPECTED["desktop_entries"], Name=title, **{"Name[ja]": title})
    expect({k: entries.get(k) for k in want} == want and entries.get("Comment"), f"desktop entries {entries}")
    expect(entries.get("Exec", "").split(" ")[0] in ("mirebo", "/usr/bin/mirebo"), f"Exec {entries.get('Exec')!r}")

    validate("appstreamcli", "validate", "--no-net", "--pedantic", "--no-color", metainfo, remark=r"^[EWIP]: ")
    root = ET.parse(metainfo).getroot()
    japanese = {e.tag: e.text for e in root if e.get("{http://www.w3.org/XML/1998/namespace}lang") == "ja"}
    expect(japanese == dict(EXPECTED["metainfo_ja"], name=title), f"Japanese texts {japanese}")
    expect(version in [r.get("version") for r in root.findall("releases/release")], f"release {version} missing")
    return report("desktop file and metainfo as expected")


if __name__ == "__main__":
    sys.exit(main())
