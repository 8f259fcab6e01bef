#!/usr/bin/env bash
# The running program gives its windows the program icon: the window manager
# sees both drawings, 16 and 32 pixels, in _NET_WM_ICON.
source "$(dirname "$0")/lib.sh"

start_x
start_app
win=""
for _ in $(seq 200); do
    win=$(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | head -n 1 || true)
    [ -n "$win" ] && break
    sleep 0.05
done
[ -n "$win" ] || fail "no window of the program appeared"

icons=$(xprop -id "$win" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | sort -u)
grep -q 'Icon (16 x 16)' <<<"$icons" || fail "no 16 x 16 window icon: ${icons:-none}"
grep -q 'Icon (32 x 32)' <<<"$icons" || fail "no 32 x 32 window icon: ${icons:-none}"
pass "window icon at 16 and 32 pixels"

# The desktop file name lets a task bar match the window to mirebo.desktop.
xprop -id "$win" WM_CLASS | grep -qi '"mirebo"' || fail "WM_CLASS $(xprop -id "$win" WM_CLASS)"
pass "WM_CLASS names mirebo"
