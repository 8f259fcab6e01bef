#!/usr/bin/env bash
# make_msi.sh VERSION TITLE MAKER URL EXE ICO DOCS OUT_MSI OUT_EXE: the Windows
# installer OUT_MSI for EXE, from mirebo.wxs, with Debian's wixl and msitools,
# holding the licence documents in the folder DOCS; OUT_EXE is the EXE it
# holds. Both are signed when sign.sh is given a certificate (the exe before
# it goes in). The same inputs give the same bytes: every date is
# SOURCE_DATE_EPOCH (the changelog's date when not set), and the product
# and package codes come from the version and the contents.
set -euo pipefail
usage="usage: $0 VERSION TITLE MAKER URL EXE ICO DOCS OUT_MSI OUT_EXE"
version=${1:?$usage} title=${2:?$usage} maker=${3:?$usage} url=${4:?$usage} exe=${5:?$usage} icon=${6:?$usage}
docs=${7:?$usage} out=${8:?$usage} out_exe=${9:?$usage}
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "$0: version '$version' is not N.N.N" >&2; exit 2; }
# The texts go into SQL statements between single quotes.
[[ $title != *"'"* ]] || { echo "$0: the title may not contain a single quote" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
documents=(Qt-NOTICE.txt Qt-COPYRIGHT.txt LGPL-3.txt GPL-3.txt mingw-w64-COPYRIGHT.txt)
for file in "$exe" "$icon" "${documents[@]/#/$docs/}"; do
    [ -f "$file" ] || { echo "$0: $file: no such file" >&2; exit 2; }
done
epoch=$(bash "$here/source_date.sh")
# Built beside the outputs and moved into place last: a failed build never
# leaves a package that looks whole, or a signed exe without its package,
# nor those of an earlier build.
rm -f "$out" "$out_exe"
work=$(mktemp -d "$(dirname "$out")/.make_msi.XXXXXX")
trap 'rm -rf "$work"' EXIT

# wixl takes source files by relative names only.
bash "$here/sign.sh" "$exe" "$work/Mirebo.exe" "$title" "$url"
cp "$icon" "$work/mirebo.ico"
for file in "${documents[@]}"; do cp "$docs/$file" "$work/"; done
# The cabinet keeps the files' times.
(cd "$work" && touch -d "@$epoch" Mirebo.exe mirebo.ico "${documents[@]}")
upgrade_code=$(sed -n 's/.*UpgradeCode="\([^"]*\)".*/\1/p' "$here/mirebo.wxs")
read -r product_code package_code < <(cd "$work" && cat Mirebo.exe mirebo.ico "${documents[@]}" | python3 -c '
import hashlib, sys, uuid
space, version = uuid.UUID(sys.argv[1]), sys.argv[2]
contents = hashlib.sha256(sys.stdin.buffer.read()).hexdigest()
print(str(uuid.uuid5(space, "product " + version)).upper(), str(uuid.uuid5(space, f"package {version} {contents}")).upper())
' "$upgrade_code" "$version")
# wixl and msibuild write the summary's creation and save times from the clock:
# a clock stopped at the epoch, whatever clock (faked or not) this runs under.
# libfaketime is preloaded directly, not through the faketime wrapper, which
# cannot start where a killed one left its semaphore in /dev/shm; each program
# here ends by itself, and the library then removes what it made there.
libfaketime=$(dpkg -L "libfaketime:$(dpkg --print-architecture)" 2>/dev/null | grep -m 1 '/libfaketime\.so\.1$') \
    || { echo "$0: libfaketime is not installed" >&2; exit 2; }
at() { env -u FAKETIME_SHARED -u FAKETIME_TIMESTAMP_FILE -u FAKETIME_NO_CACHE TZ=UTC LD_PRELOAD="$libfaketime" \
    FAKETIME="$(date -u -d "@$epoch" '+%F %T')" "$@"; }
(cd "$work" && at wixl -a x64 -D Version="$version" -D Maker="$maker" -D ProductCode="$product_code" \
    -D Exe=Mirebo.exe -D Icon=mirebo.ico -o package.msi "$here/mirebo.wxs" 2>wixl.log) \
    || { cat "$work/wixl.log" >&2; exit 1; }
# Texts in Japanese: the database's code page first (wixl leaves it at 0),
# then the texts, which msibuild converts to it.
printf '\r\n\r\n932\t_ForceCodepage\r\n' >"$work/_ForceCodepage.idt"
at msibuild "$work/package.msi" -i "$work/_ForceCodepage.idt"
sql() { at msibuild "$work/package.msi" -q "$1"; }
sql "UPDATE Property SET Value='$title' WHERE Property='ProductName'"
# A file name in the package is SHORT|long; Windows shows the long one.
sql "UPDATE Shortcut SET Name='MIREBO|$title' WHERE Shortcut='StartMenu'"
sql "UPDATE LaunchCondition SET Description='${title}のより新しいバージョンがインストールされています。このバージョンをインストールするには、先にそちらをアンインストールしてください。' WHERE Condition='NOT WIX_DOWNGRADE_DETECTED'"
# The same version built again replaces the one installed, instead of
# installing beside it (migrate features + maximum version inclusive).
# Attributes is part of the table's key, hence delete and insert.
sql "DELETE FROM Upgrade WHERE ActionProperty='WIX_UPGRADE_DETECTED'"
sql "INSERT INTO Upgrade (UpgradeCode, VersionMax, Attributes, ActionProperty) VALUES ('{$upgrade_code}', '$version', 513, 'WIX_UPGRADE_DETECTED')"
# wixl takes no package code of its own: the summary is written again with it.
template=$(msiinfo suminfo "$work/package.msi" | sed -n 's/^Template: //p')
at msibuild "$work/package.msi" -s "Mirebo $version" "$maker" "$template" "{$package_code}"
bash "$here/sign.sh" "$work/package.msi" "$work/signed.msi" "$title" "$url"
mv "$work/Mirebo.exe" "$out_exe"
mv "$work/signed.msi" "$out"
