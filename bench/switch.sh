#!/usr/bin/env bash
# Switch latency on a real X server with openbox: see bench_switch.cpp.
#   bench/switch.sh BUILD_DIR [ROUNDS]
build=${1:?usage: switch.sh BUILD_DIR [ROUNDS]}
source "$(dirname "$0")/../tests/e2e/lib.sh" "$build/src/mirebo"
start_x
"$build/bench/bench_switch" "${2:-30}" 2> >(grep -v XDG_RUNTIME_DIR >&2)
