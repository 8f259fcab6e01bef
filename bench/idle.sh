#!/usr/bin/env bash
# Idle cost: context switches of every thread of the process over a quiet
# period, with the today window open and then with the twelve-month window.
# About zero means no timer and no polling wakes the program.
#   bench/idle.sh BUILD_DIR [SECONDS]
build=${1:?usage: idle.sh BUILD_DIR [SECONDS]}
seconds=${2:-30}
source "$(dirname "$0")/../tests/e2e/lib.sh" "$build/src/mirebo"

switches() {
    local total=0 f v
    for f in /proc/"$1"/task/*/status; do
        v=$(awk '/^(voluntary|nonvoluntary)_ctxt_switches/ {s += $2} END {print s}' "$f")
        total=$((total + v))
    done
    echo "$total"
}

measure() {
    local before after
    sleep 1 # let the first paint and the window manager settle
    before=$(switches "$APP_PID")
    sleep "$seconds"
    after=$(switches "$APP_PID")
    printf '%-24s %8d context switches in %d s\n' "$1" $((after - before)) "$seconds"
}

start_x
start_app
win=$(wait_window 'ﾐﾚﾎﾞ') || fail "no today window"
measure "today window"
type_keys "$win" alt+v c y
wait_window 'ミレボ' >/dev/null || fail "no twelve-month window"
measure "twelve-month window"
