#!/usr/bin/env bash
# The About window on a real X server: opened beside the today window, where
# its layout puts it, not on top, and it keeps the program running after the
# today window is closed, until Esc closes it too.
source "$(dirname "$0")/lib.sh"

start_x
start_app
today=$(wait_window 'ﾐﾚﾎﾞ') || fail "the today window did not appear"
type_keys "$today" alt+v a
about=$(wait_window 'ミレボのﾊﾞｰｼﾞｮﾝ情報') || fail "ﾊﾞｰｼﾞｮﾝ情報(&A) did not open the About window"
xwininfo -id "$today" | grep -q IsViewable || fail "the today window closed"
pass "the About window opens beside the today window"

client=$(xwininfo -id "$about" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}')
[ "$client" = "156 129" ] || fail "client area at ($client), expected (156, 129)"
! xprop -id "$about" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "the About window is on top"
pass "client area at 2340, 1935 twips, not on top"

type_keys "$today" alt+f x
wait_gone "$today" || fail "Exit did not close the today window"
sleep 0.3
kill -0 "$APP_PID" 2>/dev/null || fail "the program ended with the About window still open"
pass "the program keeps running while the About window is open"

type_keys "$about" Escape
wait_exit "$APP_PID" || fail "Esc on the last window did not end the program"
pass "Esc closes the About window, and with it the program"
