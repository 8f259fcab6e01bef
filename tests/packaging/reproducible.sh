#!/usr/bin/env bash
# reproducible.sh SOURCE_DIR deb|windows...: builds the files of the release
# twice from the same commit, in two folders, under two clocks and two umasks,
# and compares them with cmp; diffoscope tells the first difference.
set -uo pipefail
source_dir=$(cd "${1:?usage: $0 SOURCE_DIR deb|windows...}" && pwd)
shift
scratch=$(mktemp -d "${TMPDIR:-/tmp}/mirebo-repro.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
SOURCE_DATE_EPOCH=$(git -C "$source_dir" log -1 --format=%ct) || exit 1
export SOURCE_DATE_EPOCH
# The tree as it is, uncommitted changes too, with the files' real times.
tree() { mkdir -p "$1" && (cd "$source_dir" && git ls-files -co --exclude-standard -z | xargs -0 tar -cf - --) | tar -xf - -C "$1"; }
tree "$scratch/a/mirebo" && tree "$scratch/b/other folder/src" || exit 1

# build DIR KIND: configures and builds one kind into DIR/out, printing the files made.
build() {
    local src=$1 kind=$2 out=$1/out-$2
    case $kind in
    deb)
        cmake -S "$src" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMIREBO_RELEASE=ON -DBUILD_TESTING=OFF \
            -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null &&
            cmake --build "$out" --target mirebo mirebo_icons mirebo_docs >/dev/null &&
            (cd "$out" && cpack -G DEB >/dev/null) && printf '%s\n' "$out/mirebo_"*.deb ;;
    windows)
        local prefix
        prefix=$("$source_dir/scripts/windows-deps" | tail -n 1) &&
            "$prefix/bin/qt-cmake" -S "$src" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMIREBO_RELEASE=ON \
                -DBUILD_TESTING=OFF >/dev/null &&
            cmake --build "$out" --target mirebo_msi >/dev/null && printf '%s\n' "$out/src/Mirebo.exe" "$out/"Mirebo-*.msi ;;
    esac
}

status=0
for kind in "$@"; do
    # One a year behind, the other two years ahead; one private, one open.
    a=$(umask 077 && faketime -f -400d bash -c "$(declare -f build); build '$scratch/a/mirebo' $kind") \
        || { echo "FAIL: $kind: the first build failed"; status=1; continue; }
    b=$(umask 002 && faketime -f +800d bash -c "$(declare -f build); build '$scratch/b/other folder/src' $kind") \
        || { echo "FAIL: $kind: the second build failed"; status=1; continue; }
    mapfile -t first <<<"$a"
    mapfile -t second <<<"$b"
    for i in "${!first[@]}"; do
        name=$(basename "${first[$i]}")
        if cmp "${first[$i]}" "${second[$i]}"; then
            echo "same: $name ($(sha256sum <"${first[$i]}" | cut -c1-16))"
        else
            status=1
            echo "FAIL: $name differs between the two builds"
            command -v diffoscope >/dev/null && diffoscope --text - "${first[$i]}" "${second[$i]}" 2>&1 | head -n 80
        fi
    done
done
exit $status
