#!/usr/bin/env bash
# check_package.sh BUILD_DIR SOURCE_DIR APPSTREAM_ID "ICON SIZES" MAKER LICENCE: a CPack package of its own,
# unpacked, and what lintian says of it.
set -u
build=$1 appid=$3 sizes=$4 maker=$5 licence=$6
scratch=$(mktemp -d "${TMPDIR:-/tmp}/mirebo-deb.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
fail=0
bad() { echo "FAIL: $*"; fail=1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log"; exit 1; }
debs=("$scratch"/out/*.deb) deb=${debs[0]}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")+deb$(. /etc/os-release && echo "$VERSION_ID")
[ ${#debs[@]} -eq 1 ] && [ "$(basename "$deb")" = "mirebo_${version}_$(dpkg --print-architecture).deb" ] || bad "packages made: ${debs[*]}, not $version"
dpkg -x "$deb" "$scratch/root" || { echo "FAIL: dpkg -x"; exit 1; }
# Exactly these files, none empty: no stray build files, nothing outside /usr.
want=(usr/bin/mirebo usr/share/applications/mirebo.desktop "usr/share/metainfo/$appid.metainfo.xml" usr/share/mirebo/mirebo.reg
      usr/share/man/man1/mirebo.1.gz usr/share/doc/mirebo/copyright usr/share/doc/mirebo/changelog.gz)
for s in $sizes; do want+=("usr/share/icons/hicolor/${s}x${s}/apps/mirebo.png"); done
(cd "$scratch/root" && find . -type f -size +0 | sed 's|^\./||' | sort) > "$scratch/got"
printf '%s\n' "${want[@]}" | sort | diff - "$scratch/got" || bad "package files differ (< missing, > unexpected)"
[ -x "$scratch/root/usr/bin/mirebo" ] || bad "/usr/bin/mirebo is not executable"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)_$(field Version)" = "mirebo_$version" ] && [[ $(field Maintainer) == "$maker <"* ]] || bad "Package $(field Package) $(field Version), Maintainer $(field Maintainer)"
# The one maker and licence name wherever the package states them.
doc=$scratch/root/usr/share/doc/mirebo
grep -qx "Copyright: [0-9, -]* $maker" "$doc/copyright" && grep -qx "License: $licence" "$doc/copyright" \
    && grep -q ">$maker</\(developer_\)\?name>" "$scratch/root/usr/share/metainfo/$appid.metainfo.xml" \
    && grep -qF "<project_license>LicenseRef-$licence</project_license>" "$scratch/root/usr/share/metainfo/$appid.metainfo.xml" \
    && zcat "$doc/changelog.gz" | grep -q "^ -- $maker <" || bad "maker $maker or licence $licence missing in copyright, metainfo or changelog"
# Debian's own checker: any tag at all fails, pedantic and informational ones too.
tags=$(lintian --pedantic --info --tag-display-limit 0 "$deb" 2>&1 | grep -v 'root privileges')
[ -z "$tags" ] || bad "lintian: $tags"
# This release's packages of the font, every library linked (Qt 6.4 or 6.8, ICU 72 or 76) and the tool the registry names.
for p in Depends:fonts-ipafont-gothic "Recommends:$(dpkg -S "$(sed -n 's/^"PATH"="\(.*\)"\r\?$/\1/p' "$scratch/root/usr/share/mirebo/mirebo.reg")" | cut -d: -f1)" \
    $(objdump -p "$scratch/root/usr/bin/mirebo" | awk '$1 == "NEEDED" {print "*-linux-gnu/" $2}' | xargs dpkg -S | sed 's/:.*//; s/^/Depends:/' | sort -u); do
  field "${p%%:*}" | tr , '\n' | sed 's/^ *//; s/ .*//' | grep -qxF "${p#*:}" || bad "${p%%:*} lacks ${p#*:}: $(field "${p%%:*}")"
done
[ $fail -eq 0 ] && echo "package $(basename "$deb") complete"
exit $fail
