#!/usr/bin/env bash
# make_relink_kit.sh BUILD_DIR QT_PREFIX OUT: the zip OUT that lets a user link
# Mirebo.exe, as built in BUILD_DIR, against a Qt of their own, as the LGPL
# asks of a program that links Qt statically: the program's object files and
# libraries, the link command with Qt's folder as a variable, and what the
# shipped Qt was built from and with: the record scripts/windows-deps kept
# beside it (source version, sums, patches), the project's patches it names,
# the settings file and the toolchain file; and a README.
set -euo pipefail
usage="usage: $0 BUILD_DIR QT_PREFIX OUT"
build=$(cd "${1:?$usage}" && pwd) qt=$(cd "${2:?$usage}" && pwd) out=${3:?$usage}
here=$(cd "$(dirname "$0")" && pwd)
epoch=$(bash "$here/source_date.sh")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
kit=$work/Mirebo-$version-relink-kit
mkdir -p "$kit/qt-patches" "$kit/qt-config"
record=$qt/mirebo-qt-source.txt
[ -s "$record" ] || { echo "make_relink_kit: no $record: the Qt was not built by scripts/windows-deps" >&2; exit 1; }
deb_version=$(sed -n 's/^Source: qt6-base \([^ ]*\) .*/\1/p' "$record")
qt_version=${deb_version%%+*}

# The link step as the build ran it, its paths made relative to the kit;
# then the load configuration's directory entry, which the build writes
# after the link (cmake/pe_load_config.py).
command=$(ninja -C "$build" -t commands src/Mirebo.exe | tail -n 1)
command=${command#: && }
command=${command%% && cd *}
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
python3 pe_load_config.py src/Mirebo.exe
echo "src/Mirebo.exe linked with the Qt in \$QT"
LINK
chmod 755 "$kit/link.sh"

# Exactly the patches the record names, each the same byte for byte as the
# one built (its sum), and the recipe: the settings and the toolchain file.
cp "$record" "$kit/qt-source.txt"
sed -n '/^Further patches applied/,/^[A-Z]/s/^ \([0-9a-f]\{64\}\)  \(.*\)$/\1  \2/p' "$record" >"$work/patches.sha256"
while read -r sum name; do
    cp "$here/../cmake/$name" "$kit/qt-patches/$name"
done <"$work/patches.sha256"
[ ! -s "$work/patches.sha256" ] || (cd "$kit/qt-patches" && sha256sum --quiet --check "$work/patches.sha256") \
    || { echo "make_relink_kit: the project's Qt patches differ from those the Qt in $qt was built with" >&2; exit 1; }
cp "$here/../cmake/qt-windows.cmake" "$here/../cmake/mingw-w64-x86_64.cmake" "$kit/qt-config/"
cp "$here/../cmake/pe_load_config.py" "$kit/"
find "$qt/include" -name 'q*config*.h' -path '*/Qt*/*' ! -path '*/private/*' -exec cp {} "$kit/qt-config/" \;
cp "$qt/mkspecs/qconfig.pri" "$kit/qt-config/"
cat >"$kit/README.txt" <<README
Relinking Mirebo.exe $version with another Qt
==========================================

Mirebo.exe links the Qt toolkit statically; Qt is under the GNU LGPL version 3
(see Qt-NOTICE.txt, installed beside Mirebo.exe). This kit lets you build a
Mirebo.exe that uses a Qt you have changed.

- src/, delayload/: the program's own compiled code, as the release built it
  (object files and static libraries for x86_64-w64-mingw32).
- link.sh: the link command of the release, with Qt's folder as \$QT, and
  pe_load_config.py (Python 3 with pefile), which then points the
  executable's header at its load configuration, as the release's build did.
- qt-source.txt: what the Qt in the release was built from: Debian's
  qt6-base source package $deb_version and the sums of its files, Debian's
  patches applied (its patch series), the project's patches, the settings
  file and the compiler.
- qt-patches/: the project's patches, applied after Debian's.
- qt-config/: qt-windows.cmake, the settings Qt was configured with (an
  initial cache for Qt's configure), the CMake toolchain file, and the
  configuration headers of the Qt in the release.

1. Get Qt's source as Debian builds it, with Debian's patches applied:
   "apt-get source qt6-base=$deb_version" on Debian (it runs dpkg-source -x),
   or the .dsc and its tarballs from snapshot.debian.org, then
   "dpkg-source -x qt6-base_$deb_version.dsc". In the folder it makes, apply
   qt-patches/*.patch in the order qt-source.txt lists them with
   "patch -p1", then your own changes.
2. Build it statically for mingw-w64 as the release's Qt was built, on Debian
   with qt6-base-dev-tools $qt_version (the host tools) and
   g++-mingw-w64-x86-64-posix:
     cmake -S SOURCE -B build -G Ninja -C qt-config/qt-windows.cmake \\
       -DCMAKE_TOOLCHAIN_FILE=\$PWD/qt-config/mingw-w64-x86_64.cmake \\
       -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \\
       -DCMAKE_INSTALL_PREFIX=/your/qt/prefix
     cmake --build build && cmake --install build
3. With python3-pefile: QT=/your/qt/prefix ./link.sh
README

chmod -R u=rwX,go=rX "$kit"
find "$kit" -exec touch -h -d "@$epoch" {} +
(cd "$work" && find "$(basename "$kit")" -type f | LC_ALL=C sort | TZ=UTC zip -q -X -9 -@ kit.zip)
cp "$work/kit.zip" "$out.part" && mv "$out.part" "$out"
