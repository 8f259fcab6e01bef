#!/usr/bin/env bash
# under_load.sh RUNS COMMAND...: COMMAND RUNS times beside four busy loops, the load
# the tests must hold under on a 2-core machine. Prints each run's result and time,
# keeps the output of a failed run, and fails unless every run passed. For example:
#   bash tests/under_load.sh 10 ctest --test-dir build -R '^e2e_openbox$'
#   bash tests/under_load.sh 10 bash tests/wine/run.sh build-win
set -uo pipefail
runs=${1:?usage: $0 RUNS COMMAND...}
shift
loops=()
for _ in 1 2 3 4; do (while :; do :; done) & loops+=($!); done
trap 'kill "${loops[@]}"' EXIT
passed=0
for ((i = 1; i <= runs; i++)); do
    log=$(mktemp "${TMPDIR:-/tmp}/under_load.XXXXXX") start=$SECONDS
    if "$@" >"$log" 2>&1; then
        passed=$((passed + 1)) && rm -f "$log" && result=passed
    else
        result="FAILED, output in $log"
    fi
    echo "run $i of $runs: $result in $((SECONDS - start)) s"
done
echo "$passed of $runs passed: $*"
((passed == runs))
