#!/usr/bin/env bash
# Start-up: time from exec to the first window being viewable, under Xvfb
# with openbox, as the median over many runs, for ours, for the toolkit's
# floor (a bare Qt label window) and for gsimplecal, started in turn. Also
# the resident memory of each once it has settled.
#   bench/startup.sh BUILD_DIR [RUNS]
build=${1:?usage: startup.sh BUILD_DIR [RUNS]}
runs=${2:-15}
source "$(dirname "$0")/../tests/e2e/lib.sh" "$build/src/mirebo"

start_x
mapwait=$build/bench/mapwait
programs=("mirebo:$build/src/mirebo" "floor:$build/bench/bench_floor")
command -v gsimplecal >/dev/null && programs+=("gsimplecal:$(command -v gsimplecal)")

declare -A times rss
for ((i = 0; i < runs + 1; i++)); do
    for entry in "${programs[@]}"; do
        name=${entry%%:*} program=${entry#*:}
        line=$("$mapwait" --settle 300 -- "$program" 2>"$scratch/run.err") \
            || { echo "startup: $name failed:" >&2; cat "$scratch/run.err" >&2; continue; }
        ((i == 0)) && continue # the first round warms the disk cache
        times[$name]+="$(sed -n 's/.*map_ms=\([0-9.]*\).*/\1/p' <<<"$line") "
        rss[$name]+="$(sed -n 's/.*rss_kib=\([0-9]*\).*/\1/p' <<<"$line") "
    done
done

median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

ours_ms=$(median <<<"${times[mirebo]}")
ours_rss=$(median <<<"${rss[mirebo]}")
printf '%-12s %12s %12s %14s %14s\n' program "median ms" "RSS MiB" "ours / this" "RSS diff MiB"
for entry in "${programs[@]}"; do
    name=${entry%%:*}
    ms=$(median <<<"${times[$name]}")
    kib=$(median <<<"${rss[$name]}")
    awk -v n="$name" -v ms="$ms" -v kib="$kib" -v oms="$ours_ms" -v okib="$ours_rss" \
        'BEGIN {printf "%-12s %12.1f %12.1f %14.2f %14.1f\n", n, ms, kib / 1024, oms / ms, (okib - kib) / 1024}'
done
floor_ms=$(median <<<"${times[floor]}")
awk -v o="$ours_ms" -v f="$floor_ms" 'BEGIN {printf "startup ratio to floor: %.2f (goal <= 1.15)\n", o / f}'
if [ -n "${times[gsimplecal]:-}" ]; then
    g=$(median <<<"${times[gsimplecal]}")
    awk -v o="$ours_ms" -v g="$g" 'BEGIN {printf "startup ratio to gsimplecal: %.2f (goal < 1)\n", o / g}'
fi
