#!/usr/bin/env bash
# Builds the registry parser's fuzz target with clang (libFuzzer, address and
# undefined-behaviour sanitizers) and runs it for a bounded time, seeded from
# the registry files of the test data.
# usage: run.sh SOURCE_DIR WORK_DIR [SECONDS]
set -euo pipefail

src=${1:?source dir}
work=${2:?work dir}
seconds=${3:-25}
clangxx=${CLANGXX:-clang++}

mkdir -p "$work/corpus" "$work/artifacts"
"$clangxx" -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I "$src/src" "$src/tests/fuzz/fuzz_registry.cpp" "$src/src/about/regfile.cpp" \
    -o "$work/fuzz_registry"

cp "$src"/tests/data/registry/*.reg "$work/corpus/"
cp "$src/resources/mirebo.reg" "$work/corpus/"

# Keep inputs small enough that the run covers many of them; the parser's
# size limit is tested on its own.
"$work/fuzz_registry" -max_total_time="$seconds" -max_len=16384 -rss_limit_mb=1024 \
    -artifact_prefix="$work/artifacts/" -print_final_stats=1 "$work/corpus"
