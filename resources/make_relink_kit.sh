#!/usr/bin/env bash
# make_relink_kit.sh BUILD_DIR QT_PREFIX OUT: the zip OUT that lets a user link
# Mirebo.exe, as built in BUILD_DIR, against a Qt of their own, as the LGPL
# asks of a program that links Qt statically: the program's object files and
# libraries, the link command with Qt's folder as a variable, the patches and
# the configuration the shipped Qt was built with, and a README.
set -euo pipefail
usage="usage: $0 BUILD_DIR QT_PREFIX OUT"
build=$(cd "${1:?$usage}" && pwd) qt=$(cd "${2:?$usage}" && pwd) out=${3:?$usage}
here=$(cd "$(dirname "$0")" && pwd)
epoch=$(bash "$here/source_date.sh")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
qt_version=$(sed -n 's/^set(PACKAGE_VERSION "\(.*\)")/\1/p' "$qt/lib/cmake/Qt6/Qt6ConfigVersion.cmake")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
kit=$work/Mirebo-$version-relink-kit
mkdir -p "$kit/qt-patches" "$kit/qt-config"

# The link step as the build ran it, its paths made relative to the kit.
command=$(ninja -C "$build" -t commands src/Mirebo.exe | tail -n 1)
command=${command#: && }
command=${command% && :}
read -ra words <<<"$command"
line=('"${CXX:-'"${words[0]}"'}"')
previous=
for word in "${words[@]:1}"; do
    path=${word#-L}
    # Not the output, which link.sh makes.
    [ "$previous" != -o ] || path=/
    previous=$word
    [[ $path == /* ]] || path=$build/$path
    if [[ $path == "$qt"/* ]]; then
        word=${word/"$qt"/'"$QT"'}
    elif [[ $path == "$build"/* ]] && { [ -f "$path" ] || [ -d "$path" ]; }; then
        relative=${path#"$build"/}
        mkdir -p "$kit/$(dirname "$relative")"
        cp -r "$path" "$kit/$relative"
        word=${word/"$path"/$relative}
        word=${word/"$build/"/}
    fi
    line+=("$word")
done
cat >"$kit/link.sh" <<LINK
#!/usr/bin/env bash
# Links src/Mirebo.exe from the object files here and the static Qt in \$QT.
set -euo pipefail
cd "\$(dirname "\$0")"
QT=\${QT:?set QT to the folder your static Qt for mingw-w64 is installed in}
mkdir -p src
${line[*]}
echo "src/Mirebo.exe linked with the Qt in \$QT"
LINK
chmod 755 "$kit/link.sh"

cp "$here"/../cmake/qt-*.patch "$kit/qt-patches/"
cp "$here/../cmake/mingw-w64-x86_64.cmake" "$kit/qt-config/"
find "$qt/include" -name 'q*config*.h' -path '*/Qt*/*' ! -path '*/private/*' -exec cp {} "$kit/qt-config/" \;
cp "$qt/mkspecs/qconfig.pri" "$kit/qt-config/" 2>/dev/null || true
cat >"$kit/README.txt" <<README
Relinking Mirebo.exe $version with another Qt
==========================================

Mirebo.exe links the Qt toolkit statically; Qt is under the GNU LGPL version 3
(see Qt-NOTICE.txt, installed beside Mirebo.exe). This kit lets you build a
Mirebo.exe that uses a Qt you have changed.

- src/, delayload/: the program's own compiled code, as the release built it
  (object files and static libraries for x86_64-w64-mingw32).
- link.sh: the link command of the release, with Qt's folder as \$QT.
- qt-patches/: the changes applied to Qt's source before building it.
- qt-config/: the configuration of the Qt in the release (its feature headers)
  and the CMake toolchain file it was built with.

1. Get Qt's source: Debian's qt6-base source package, the file
   qt6-base_$qt_version+dfsg.orig.tar.xz ("apt-get source qt6-base" on Debian 12, or
   snapshot.debian.org). Apply qt-patches/*.patch with "patch -p1", then your
   own changes.
2. Build it statically for mingw-w64 with the features in qt-config/
   (cmake -DBUILD_SHARED_LIBS=OFF -DCMAKE_TOOLCHAIN_FILE=mingw-w64-x86_64.cmake
   and the FEATURE_ options that match qt-config/*.h), and install it.
3. With Debian's g++-mingw-w64-x86-64-posix: QT=/your/qt/prefix ./link.sh
README

chmod -R u=rwX,go=rX "$kit"
find "$kit" -exec touch -h -d "@$epoch" {} +
(cd "$work" && find "$(basename "$kit")" -type f | LC_ALL=C sort | TZ=UTC zip -q -X -9 -@ kit.zip)
cp "$work/kit.zip" "$out.part" && mv "$out.part" "$out"
