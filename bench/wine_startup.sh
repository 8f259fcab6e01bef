#!/usr/bin/env bash
# Start-up under Wine: time from `wine` to the first window being viewable,
# median over RUNS, for Mirebo.exe, the bare Qt label window built the same
# way, and a bare Win32 window, started in turn with the wine server warm.
# Also the size of each stripped executable.
#   bench/wine_startup.sh WINDOWS_BUILD_DIR LINUX_BUILD_DIR [RUNS]
win=$(cd "${1:?usage: wine_startup.sh WINDOWS_BUILD_DIR LINUX_BUILD_DIR [RUNS]}" && pwd)
linux=$(cd "${2:?usage: wine_startup.sh WINDOWS_BUILD_DIR LINUX_BUILD_DIR [RUNS]}" && pwd)
runs=${3:-9}
source "$(dirname "$0")/../tests/e2e/lib.sh" "$win/src/Mirebo.exe"
export LC_ALL=ja_JP.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=$scratch/prefix
trap 'cleanup; wineserver -k 2>/dev/null || true; rm -rf "$scratch"' EXIT

start_x
wineboot -i >/dev/null 2>&1 || fail "wineboot could not make a prefix"
# As on a Japanese desktop: the gothic the windows name is there.
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /t REG_SZ /d IPAPGothic /f >"$scratch/reg.log" 2>&1 \
    || { cat "$scratch/reg.log" >&2; fail "the font replacement could not be set"; }
wineserver -w
# A warm server, as on a desktop where Wine has run before.
wineserver -p
programs=("Mirebo.exe:$win/src/Mirebo.exe" "qt-label:$win/bench/bench_floor.exe" "win32:$win/bench/bench_floor_win32.exe")

declare -A times
for ((i = 0; i < runs + 1; i++)); do
    for entry in "${programs[@]}"; do
        name=${entry%%:*} program=${entry#*:}
        line=$("$linux/bench/mapwait" --settle 100 -- wine "$program" 2>"$scratch/run.err") \
            || { echo "wine_startup: $name failed:" >&2; cat "$scratch/run.err" >&2; continue; }
        ((i == 0)) && continue # the first round warms the disk cache and Wine's own start
        times[$name]+="$(sed -n 's/.*map_ms=\([0-9.]*\).*/\1/p' <<<"$line") "
    done
done

median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
ours=$(median <<<"${times[Mirebo.exe]}")
printf '%-12s %12s %16s\n' program "median ms" "stripped MiB"
for entry in "${programs[@]}"; do
    name=${entry%%:*} program=${entry#*:}
    stripped=$scratch/$name.exe
    x86_64-w64-mingw32-strip -o "$stripped" "$program"
    awk -v n="$name" -v ms="$(median <<<"${times[$name]}")" -v b="$(stat -c %s "$stripped")" \
        'BEGIN {printf "%-12s %12.1f %16.2f\n", n, ms, b / 1048576}'
done
awk -v o="$ours" -v q="$(median <<<"${times[qt-label]}")" -v w="$(median <<<"${times[win32]}")" 'BEGIN {
    printf "wine startup ratio to the bare Qt window: %.2f (goal <= 1.0)\n", o / q
    printf "wine startup ratio to the bare Win32 window: %.2f (goal <= 2)\n", o / w }'
