#!/usr/bin/env bash
# Corner placement on real X screens of other sizes and scales: the frame's
# top-left corner is the screen size less the offsets, in logical pixels,
# negative where the screen is smaller than the window.
source "$(dirname "$0")/lib.sh"

# check SIZE SCALE: the today window and the twelve-month window.
check() {
    local size=$1 scale=$2 w h today cal
    SCREEN_SIZE=$size
    w=$((${size%x*} / scale)) h=$((${size#*x} / scale))
    start_x
    QT_SCALE_FACTOR=$scale start_app
    today=$(wait_window 'ﾐﾚﾎﾞ') || fail "$size: no today window"
    wait_origin "$today" "$(((w - 158) * scale)) $(((h - 100) * scale))"
    type_keys "$today" alt+v c y
    cal=$(wait_window 'ミレボ') || fail "$size: no twelve-month window"
    wait_origin "$cal" "$(((w - 491) * scale)) $(((h - 625) * scale))"
    pass "$size at scale $scale: today at ($((w - 158)), $((h - 100))), twelve months at ($((w - 491)), $((h - 625)))"
    cleanup
    pids=()
}

check 640x480 1
check 3840x2160 1
check 3840x2160 2
