#!/usr/bin/env bash
# Switching between the today window and the calendars with the real mouse
# and keyboard. The clock is moved on between two loads of the today window
# (libfaketime reads the time from a file on every call).
source "$(dirname "$0")/lib.sh"

clockfile=$(mktemp)
trap 'cleanup; rm -f "$clockfile" "$clockfile".*.png' EXIT
# Offsets from the real time, never back in time: a clock that runs behind
# the files on disk makes fontconfig rebuild its caches for every program.
echo "+0" >"$clockfile"
faketime_lib=$(find /usr/lib -name libfaketime.so.1 | head -n 1)
[ -n "$faketime_lib" ] || fail "libfaketime is not installed"

start_x
LD_PRELOAD=$faketime_lib FAKETIME_TIMESTAMP_FILE=$clockfile FAKETIME_NO_CACHE=1 start_app
today=$(wait_window 'ﾐﾚﾎﾞ') || fail "the today window did not appear"
wait_origin "$today" "1762 980"
sleep 0.3
import -window "$today" -crop 140x24+0+20 "$clockfile.before.png"

# A real double-click on the date text.
xdotool mousemove --window "$today" 20 32 click --repeat 2 --delay 80 1
month=$(wait_window 'ミレボ') || fail "the one-month window did not open"
wait_gone "$today" || fail "the today window is still there"
wait_origin "$month" "$((1920 - 165)) $((1080 - 221))"
xprop -id "$month" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "the one-month window is not on top"
functions=$(motif_functions "$month")
(( functions & 32 && !(functions & (8 | 16)) )) || fail "title-bar functions $functions"
pass "double-click opens the one-month window at its corner, on top, and closes the today window"

# The menu path back to the date strip, a day later.
echo "+1d" >"$clockfile"
type_keys "$month" alt+v d
today=$(wait_window 'ﾐﾚﾎﾞ') || fail "1日 did not bring the today window back"
wait_gone "$month" || fail "the one-month window is still there"
wait_origin "$today" "1762 980"
sleep 0.3
import -window "$today" -crop 140x24+0+20 "$clockfile.after.png"
difference=$(compare -metric AE "$clockfile.before.png" "$clockfile.after.png" null: 2>&1 || true)
[ "${difference%% *}" != 0 ] || fail "the date was not computed afresh"
pass "1日 brings the today window back with the new date"

# Alt+V, C, T: the three-month calendar.
type_keys "$today" alt+v c t
three=$(wait_window 'ミレボ') || fail "Alt+V, C, T did not open a calendar"
wait_gone "$today" || fail "the today window is still there"
wait_origin "$three" "$((1920 - 490)) $((1080 - 222))"
pass "Alt+V, C, T opens the three-month window at its corner"
