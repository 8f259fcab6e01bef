#!/usr/bin/env bash
# Builds the Debian package from the build tree with CPack, unpacks it into a
# scratch root with dpkg -x and checks its file list and control fields.
#   check_package.sh BUILD_DIR SOURCE_DIR APPSTREAM_ID "ICON SIZES"
set -u
build=$1 source=$2 appid=$3 sizes=$4
scratch=$(mktemp -d "${TMPDIR:-/tmp}/mirebo-deb.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
fail=0
bad() { echo "FAIL: $*"; fail=1; }

# A package of its own, so the check does not depend on an earlier
# `--target package` and does not disturb the one in the build tree.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log"; exit 1; }
debs=("$scratch"/out/*.deb)
deb=${debs[0]}
[ ${#debs[@]} -eq 1 ] && [[ $(basename "$deb") =~ ^mirebo_[0-9]+\.[0-9]+\.[0-9]+_[a-z0-9]+\.deb$ ]] || bad "packages made: ${debs[*]}"
dpkg -x "$deb" "$scratch/root" || { echo "FAIL: dpkg -x"; exit 1; }

want=(usr/bin/mirebo usr/share/applications/mirebo.desktop "usr/share/metainfo/$appid.metainfo.xml" usr/share/mirebo/mirebo.reg)
for s in $sizes; do want+=("usr/share/icons/hicolor/${s}x${s}/apps/mirebo.png"); done
# Exactly these, none empty: no stray build files, nothing outside /usr.
(cd "$scratch/root" && find . -type f -size +0 | sed 's|^\./||' | sort) > "$scratch/got"
printf '%s\n' "${want[@]}" | sort | diff - "$scratch/got" || bad "package files differ (< missing, > unexpected)"
[ -x "$scratch/root/usr/bin/mirebo" ] || bad "/usr/bin/mirebo is not executable"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = mirebo ] && [ -n "$(field Maintainer)" ] || bad "Package $(field Package), Maintainer $(field Maintainer)"
for p in libqt6widgets6 libqt6gui6 libqt6core6 libicu72 fonts-ipafont-gothic; do
  grep -Eq "(^|, )$p( |,|$)" <<<"$(field Depends)" || bad "Depends lacks $p: $(field Depends)"
done
grep -Eq '(^|, )hardinfo( |,|$)' <<<"$(field Recommends)" || bad "Recommends lacks hardinfo"
project_version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ "$(field Version)" = "$project_version" ] || bad "Version $(field Version), project $project_version"

[ $fail -eq 0 ] && echo "package $(basename "$deb") complete"
exit $fail
