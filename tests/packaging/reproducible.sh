#!/usr/bin/env bash
# reproducible.sh SOURCE_DIR deb|windows...: builds the files of a release twice
# from the same tree, in two folders, under two clocks (a year behind, two
# years ahead) and two umasks, and compares them with cmp; diffoscope shows a difference.
set -uo pipefail
src=$(cd "${1:?usage: $0 SOURCE_DIR deb|windows...}" && pwd)
shift
scratch=$(mktemp -d "${TMPDIR:-/tmp}/mirebo-repro.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
# Copies without git (of a checkout's files, or of a tree's less its builds), as the source tarball is, dated by their changelog alone.
unset SOURCE_DATE_EPOCH
libfaketime=$(dpkg -L "libfaketime:$(dpkg --print-architecture)" | grep -m 1 '/libfaketime\.so\.1$') || exit 1
dirs=("$scratch/a/mirebo" "$scratch/b/other folder/src") masks=(077 002) clocks=(-400d +800d)
configure="-G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -S . -B out"
status=0
for kind in "$@"; do
    [ "$kind" != windows ] || qt=$(printf '%q' "$("$src/scripts/windows-deps" | tail -n 1)") || exit 1
    for i in 0 1; do
        dir=${dirs[$i]}/$kind
        mkdir -p "$dir" && (cd "$src" && { git ls-files -co --exclude-standard -z 2>/dev/null \
            || find . \( -path './build*' -o -path ./dist \) -prune -o -type f -print0; } | xargs -0 tar -cf -) | tar -xf - -C "$dir"
        case $kind in
        deb) build="cmake $configure -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON && cmake --build out --target mirebo mirebo_icons mirebo_docs && cd out && cpack -G DEB && cd .. && files=(out/*.deb)" ;;
        windows) build="$qt/bin/qt-cmake $configure && cmake --build out --target mirebo_msi && files=(out/src/Mirebo.exe out/*.msi out/*.zip)" ;;
        esac
        # libfaketime preloaded directly: the faketime wrapper cannot start where a killed one
        # left its semaphore in /dev/shm. The bash ends by itself, on a builtin rather than an
        # exec, so that the library removes the pair it made there.
        (cd "$dir" && umask "${masks[$i]}" && LD_PRELOAD=$libfaketime FAKETIME=${clocks[$i]} \
            bash -c "$build && printf '%s\n' \"\${files[@]}\" >files" >log 2>&1) \
            || { tail -n 20 "$dir/log"; echo "FAIL: $kind: the build in $dir failed"; status=1; }
    done
    a=${dirs[0]}/$kind b=${dirs[1]}/$kind
    while read -r file; do
        if cmp "$a/$file" "$b/$file"; then echo "same: $file $(sha256sum <"$a/$file" | cut -c1-16)"; else
            status=1 && echo "FAIL: $file differs" && diffoscope --text - "$a/$file" "$b/$file" 2>&1 | head -n 60; fi
    done <"$a/files"
done
exit $status
