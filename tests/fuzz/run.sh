#!/usr/bin/env bash
# run.sh SOURCE_DIR WORK_DIR [SECONDS]: the registry parser under libFuzzer with
# address and undefined-behaviour sanitizers, seeded from the test registry files.
set -euo pipefail
src=${1:?source dir} work=${2:?work dir} seconds=${3:-25}
mkdir -p "$work/corpus" "$work/artifacts"
"${CLANGXX:-clang++}" -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I "$src/src" "$src/tests/fuzz/fuzz_registry.cpp" "$src/src/about/regfile.cpp" -o "$work/fuzz_registry"
cp "$src"/tests/data/registry/*.reg "$src/resources/mirebo.reg.in" "$work/corpus/"
# Small inputs, so that the run covers many; the size limit has a test of its own.
"$work/fuzz_registry" -max_total_time="$seconds" -max_len=16384 -rss_limit_mb=1024 \
    -artifact_prefix="$work/artifacts/" -print_final_stats=1 "$work/corpus"
