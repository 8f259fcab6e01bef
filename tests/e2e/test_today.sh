#!/usr/bin/env bash
# The today window on a real X server with a real window manager.
source "$(dirname "$0")/lib.sh"

start_x
start_app
win=$(wait_window 'ﾐﾚﾎﾞ') || fail "the today window did not appear"
pass "title is ﾐﾚﾎﾞ"

wait_origin "$win" "1762 980"
pass "frame top-left at (1762, 980)"

xprop -id "$win" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "not above: $(xprop -id "$win" _NET_WM_STATE)"
pass "_NET_WM_STATE_ABOVE is set"

functions=$(motif_functions "$win")
(( functions & 8 && functions & 32 && !(functions & 16) )) || fail "title-bar functions $functions"
min_w=$(xprop -id "$win" WM_NORMAL_HINTS | sed -n "s/.*minimum size: //p")
max_w=$(xprop -id "$win" WM_NORMAL_HINTS | sed -n "s/.*maximum size: //p")
[ -n "$min_w" ] && [ "$min_w" = "$max_w" ] || fail "resizable: $min_w / $max_w"
pass "minimize and close, no maximize, fixed size"

type_keys "$win" alt+f x
wait_exit "$APP_PID" || fail "Alt+F, X did not end the program"
pass "Alt+F then X ends the program"
