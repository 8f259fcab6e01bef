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
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log"; exit 1
fi
debs=("$scratch"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: cpack made ${#debs[@]} packages"; exit 1; }
deb=${debs[0]}
[[ $(basename "$deb") =~ ^mirebo_[0-9]+\.[0-9]+\.[0-9]+_[a-z0-9]+\.deb$ ]] || bad "package file name $(basename "$deb")"

dpkg -x "$deb" "$scratch/root" || { echo "FAIL: dpkg -x"; exit 1; }
root=$scratch/root

want=(usr/bin/mirebo usr/share/applications/mirebo.desktop "usr/share/metainfo/$appid.metainfo.xml")
for s in $sizes; do want+=("usr/share/icons/hicolor/${s}x${s}/apps/mirebo.png"); done
# The default registry file belongs in the package once it is in the sources.
[ -f "$source/resources/mirebo.reg" ] && want+=(usr/share/mirebo/mirebo.reg)
for f in "${want[@]}"; do
  [ -f "$root/$f" ] && [ -s "$root/$f" ] || bad "missing from the package: /$f"
done
[ -x "$root/usr/bin/mirebo" ] || bad "/usr/bin/mirebo is not executable"
# Nothing else: no stray build files, nothing outside /usr.
extra=$(cd "$root" && find . -type f | sed 's|^\./||' | sort | comm -23 - <(printf '%s\n' "${want[@]}" | sort))
[ -z "$extra" ] || bad "unexpected files: $extra"
# The .desktop file's Exec must name the program the package installs.
exec_cmd=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$root/usr/share/applications/mirebo.desktop")
[ "$exec_cmd" = mirebo ] || [ "$exec_cmd" = /usr/bin/mirebo ] || bad "Exec=$exec_cmd is not the installed program"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = mirebo ] || bad "Package: $(field Package)"
[ -n "$(field Maintainer)" ] || bad "no Maintainer"
depends=$(field Depends)
for p in libqt6widgets6 libqt6gui6 libqt6core6 libicu72 fonts-ipafont-gothic; do
  grep -Eq "(^|, )$p( |,|$)" <<<"$depends" || bad "Depends lacks $p: $depends"
done
grep -Eq '(^|, )hardinfo( |,|$)' <<<"$(field Recommends)" || bad "Recommends lacks hardinfo"
project_version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ "$(field Version)" = "$project_version" ] || bad "Version $(field Version), project $project_version"

[ $fail -eq 0 ] && echo "package $(basename "$deb") complete"
exit $fail
