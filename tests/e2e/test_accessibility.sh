#!/usr/bin/env bash
# What a screen reader sees, read through AT-SPI on a session bus of our own:
# the windows are a frame or a dialog named by their caption, with the menu
# bar, the date label, the month view and the buttons beneath them.
[ -n "${MIREBO_A11Y_BUS:-}" ] || exec env MIREBO_A11Y_BUS=1 dbus-run-session -- bash "$0" "$@"
bus=$DBUS_SESSION_BUS_ADDRESS
source "$(dirname "$0")/lib.sh"
export DBUS_SESSION_BUS_ADDRESS=$bus QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# The Debian python, which has pyatspi, whatever python3 is first on the path.
tree="/usr/bin/python3 $(dirname "$0")/atspi_tree.py"

# expect LINE...: every line (a basic regular expression) is in the tree,
# which may still be filling in.
expect() {
    local line got
    for _ in $(seq 50); do
        got=$($tree 2>/dev/null || true)
        for line in "$@"; do grep -qx -- "$line" <<<"$got" || continue 2; done
        return 0
    done
    echo "--- AT-SPI tree:" >&2; echo "$got" >&2
    fail "not in the AT-SPI tree: $line"
}

start_x
$tree >/dev/null # brings up the accessibility bus before the program looks for it
start_app
today=$(wait_window 'ﾐﾚﾎﾞ') || fail "the today window did not appear"
type_keys "$today" alt+v a
wait_window 'ミレボのﾊﾞｰｼﾞｮﾝ情報' >/dev/null || fail "the About window did not open"
expect "frame|ﾐﾚﾎﾞ|frame|ﾐﾚﾎﾞ" "frame|ﾐﾚﾎﾞ|menu bar|" "frame|ﾐﾚﾎﾞ|label|.\+" \
    "dialog|ミレボのﾊﾞｰｼﾞｮﾝ情報|dialog|ミレボのﾊﾞｰｼﾞｮﾝ情報" "dialog|ミレボのﾊﾞｰｼﾞｮﾝ情報|push button|OK"
pass "the today window is a frame with its menu bar and date label, the About window a dialog with its buttons"

type_keys "$today" alt+v c m
expect "frame|ミレボ|frame|ミレボ" "frame|ミレボ|menu bar|" "frame|ミレボ|table|.*" \
    "frame|ミレボ|push button|前の月" "frame|ミレボ|push button|次の月"
pass "the one-month window is a frame with its menu bar and the month view's table and buttons"
