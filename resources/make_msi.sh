#!/usr/bin/env bash
# make_msi.sh VERSION TITLE EXE ICO OUT: the Windows installer OUT for
# Mirebo.exe, from mirebo.wxs, with Debian's wixl and msitools.
set -euo pipefail
usage="usage: $0 VERSION TITLE EXE ICO OUT"
version=${1:?$usage} title=${2:?$usage} exe=${3:?$usage} icon=${4:?$usage} out=${5:?$usage}
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "$0: version '$version' is not N.N.N" >&2; exit 2; }
# The texts go into SQL statements between single quotes.
[[ $title != *"'"* ]] || { echo "$0: the title may not contain a single quote" >&2; exit 2; }
for file in "$exe" "$icon"; do
    [ -f "$file" ] || { echo "$0: $file: no such file" >&2; exit 2; }
done
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Built beside the output and moved into place last: a failed build never
# leaves a package that looks whole.
# wixl takes source files by relative names only.
cp "$exe" "$work/Mirebo.exe"
cp "$icon" "$work/mirebo.ico"
(cd "$work" && wixl -a x64 -D Version="$version" -D Exe=Mirebo.exe -D Icon=mirebo.ico -o package.msi "$here/mirebo.wxs" 2>wixl.log) \
    || { cat "$work/wixl.log" >&2; exit 1; }
# Texts in Japanese: the database's code page first (wixl leaves it at 0),
# then the texts, which msibuild converts to it.
printf '\r\n\r\n932\t_ForceCodepage\r\n' >"$work/_ForceCodepage.idt"
msibuild "$work/package.msi" -i "$work/_ForceCodepage.idt"
sql() { msibuild "$work/package.msi" -q "$1"; }
sql "UPDATE Property SET Value='$title' WHERE Property='ProductName'"
# A file name in the package is SHORT|long; Windows shows the long one.
sql "UPDATE Shortcut SET Name='MIREBO|$title' WHERE Shortcut='StartMenu'"
sql "UPDATE LaunchCondition SET Description='${title}のより新しいバージョンがインストールされています。このバージョンをインストールするには、先にそちらをアンインストールしてください。' WHERE Condition='NOT WIX_DOWNGRADE_DETECTED'"
# The same version built again replaces the one installed, instead of
# installing beside it (migrate features + maximum version inclusive).
# Attributes is part of the table's key, hence delete and insert.
upgrade_code=$(sed -n 's/.*UpgradeCode="\([^"]*\)".*/\1/p' "$here/mirebo.wxs")
sql "DELETE FROM Upgrade WHERE ActionProperty='WIX_UPGRADE_DETECTED'"
sql "INSERT INTO Upgrade (UpgradeCode, VersionMax, Attributes, ActionProperty) VALUES ('{$upgrade_code}', '$version', 513, 'WIX_UPGRADE_DETECTED')"
mv "$work/package.msi" "$out"
