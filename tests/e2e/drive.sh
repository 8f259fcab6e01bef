#!/usr/bin/env bash
# drive.sh MIREBO WM [ROWS]: the rows of tests/data/e2e_cases.txt for manager WM named as ROWS matches, each on a fresh X server.
source "$(dirname "$0")/lib.sh"
WM=${2:?usage: $0 path/to/mirebo WM [ROWS]} ROWS=${3:-}

# What a manager is known not to honour (KNOWN[WM.check]), and the cases, as tables.
table() { sed '/^#/d; s/ *| */|/g' "$(dirname "$0")/../data/$1"; }
declare -A KNOWN
while IFS='|' read -r check why; do KNOWN[$check]=$why; done < <(table e2e_known.txt)

# Per window: title, corner offsets and client width in pixels (twips / 15),
# and the _MOTIF_WM_HINTS functions asked for (8 minimize, 16 maximize, 32 close).
declare -A TITLE=([today]='ﾐﾚﾎﾞ' [cal1]='ミレボ' [cal3]='ミレボ' [cal12]='ミレボ' [about]='ミレボのﾊﾞｰｼﾞｮﾝ情報')
declare -A OFFSETS=([today]="158 100" [cal1]="165 221" [cal3]="490 222" [cal12]="491 625")
declare -A WIDTH=([today]=152 [cal1]=159 [cal3]=484 [cal12]=485)
declare -A FUNCTIONS=([today]=$((8 | 32)) [cal1]=32 [cal3]=32 [cal12]=32)

# expect NAME WHAT COMMAND...: a check known not to hold (KNOWN[WM.NAME]) is looked at once (PATIENCE=0).
expect() {
    local known=${KNOWN[$WM.$1]:-}
    if PATIENCE=${known:+0} "${@:3}"; then pass "$2"
    elif [ -n "$known" ]; then echo "known: $WM: $known"
    else fail "$2${DETAIL:+: $DETAIL}"; fi
}

# Qt rounds device pixels half away from zero.
scaled() { awk -v v="$1" -v s="$SCALE" 'BEGIN { print int(v * s + 0.5) }'; }

# corner KIND: the frame's place in device pixels: the primary monitor's
# origin plus, scaled, its logical size less the offsets.
corner() {
    local primary=${SCREEN_SIZE}+0+0 m
    for m in ${MONITORS//,/ }; do [[ $m == \** ]] && primary=${m#\*}; done
    awk -v g="$primary" -v o="${OFFSETS[$1]}" -v s="$SCALE" 'function r(v) { return v < 0 ? -int(-v + 0.5) : int(v + 0.5) }
        BEGIN { split(g, p, /[x+]/); split(o, d, " "); print p[3] + r((p[1] / s - d[1]) * s), p[4] + r((p[2] / s - d[2]) * s) }'
}

has_above() { DETAIL=$(xprop -id "$1" _NET_WM_STATE 2>&1) && echo "$DETAIL" && [[ $DETAIL == *_NET_WM_STATE_ABOVE* ]]; }
above() { until_true "${PATIENCE:-20}" has_above "$1"; }
allowed() { DETAIL=$(xprop -id "$1" _NET_WM_ALLOWED_ACTIONS 2>&1); grep -q "_NET_WM_ACTION_$2\b" <<<"$DETAIL"; }
not_allowed() { ! allowed "$@" && grep -q 'ALLOWED_ACTIONS(ATOM)' <<<"$DETAIL"; }

# open KIND ID KEYS...: OPENED is the window KIND the keys open in place of ID. Not in a
# subshell of the caller's, so that a failure ends the test.
open() {
    OPENED=$(PATIENCE=${KNOWN[$WM.switch]:+0} switch_to "${TITLE[$1]}" "${@:2}") || { DETAIL=; expect switch "${*:3} opens the $1 window" false; return 1; }
}

# check_window KIND ID: what the program asks of the manager is checked as
# such; what the manager makes of it may be known behaviour.
check_window() {
    local kind=$1 id=$2 hints size functions
    expect corner "$kind: frame at ($(corner "$kind"))" placed "$id" "$(corner "$kind")"
    expect above "$kind: _NET_WM_STATE_ABOVE" above "$id"

    hints=$(xprop -id "$id" WM_NORMAL_HINTS | sed -n 's/.*m[a-z]*imum size: //p' | sort -u)
    size=$(xwininfo -id "$id" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w " by " h}')
    [ "$hints" = "$size" ] || fail "$kind: resizable: minimum and maximum size $hints, $size"
    [ "${size%% *}" = "$(scaled "${WIDTH[$kind]}")" ] || fail "$kind: $size wide, expected $(scaled "${WIDTH[$kind]}")"
    pass "$kind: fixed size $size at scale $SCALE"
    expect resize "$kind: the manager offers no resizing" not_allowed "$id" RESIZE

    functions=$(($(xprop -id "$id" _MOTIF_WM_HINTS | sed -n 's/.*= //p' | cut -d, -f2)))
    ((($functions & (8 | 16 | 32)) == FUNCTIONS[$kind])) || fail "$kind: title-bar functions $functions"
    expect maximize "$kind: no maximize" not_allowed "$id" MAXIMIZE_HORZ
    if ((functions & 8)); then expect minimize "$kind: minimize and close" allowed "$id" MINIMIZE
    else expect minimize "$kind: close only, no minimize" not_allowed "$id" MINIMIZE; fi
    expect close "$kind: close" allowed "$id" CLOSE
}

# ends_with ID WHAT KEYS...: the keys typed in window ID end the program.
ends_with() { type_keys "$1" "${@:3}"; wait_exit "$APP_PID" || fail "$2 did not end the program"; pass "$2 ends the program"; }

# today_drawn FILE: the today window at its corner, its date drawn into FILE.
today_drawn() {
    placed "$TODAY" "$(corner today)" || fail "today: frame $DETAIL"
    settled_image "$TODAY" 140x24+0+20 "$1" || fail "today: no date drawn"
}

start_today() {
    start_x
    QT_SCALE_FACTOR=${SCALE:-1} start_app "$@"
    TODAY=$(wait_window "${TITLE[today]}") || fail "no today window titled ${TITLE[today]}"
}

flow_windows() {
    start_today
    [ -z "${WAYLAND_DISPLAY:-}" ] || pass "with WAYLAND_DISPLAY set the program chose xcb: its window is on XWayland's $DISPLAY"
    check_window today "$TODAY"
    open cal12 "$TODAY" alt+v c y || return 0
    check_window cal12 "$OPENED"
    ends_with "$OPENED" "Alt+F then X" alt+f x
}

# Switches with the real mouse and keyboard; the clock (libfaketime reads it
# from a file on every call) moves on a day between two loads of the today window.
flow_calendar() {
    local clock=$scratch/clock month icons
    # Never back in time: fontconfig would rebuild its caches for every program.
    echo "+0" >"$clock"
    start_today env LD_PRELOAD="$libfaketime" FAKETIME_TIMESTAMP_FILE="$clock" FAKETIME_NO_CACHE=1
    icons=$(xprop -id "$TODAY" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | sort -u | tr '\n' ' ')
    grep -q '16 x 16' <<<"$icons" && grep -q '32 x 32' <<<"$icons" || fail "window icons: ${icons:-none}"
    xprop -id "$TODAY" WM_CLASS | grep -qi '"mirebo"' || fail "WM_CLASS $(xprop -id "$TODAY" WM_CLASS)"
    pass "window icon at 16 and 32 pixels, WM_CLASS mirebo for the task bar"
    today_drawn "$clock.before.png"

    xdotool mousemove --window "$TODAY" 20 32 click --repeat 2 --delay 80 1
    month=$(wait_window "${TITLE[cal1]}") || fail "a double-click on the date did not open the one-month window"
    wait_gone "$TODAY" || fail "the today window is still there"
    check_window cal1 "$month"

    echo "+1d" >"$clock"
    open today "$month" alt+v d || return 0
    TODAY=$OPENED
    today_drawn "$clock.after.png"
    [ "$(compare -metric AE "$clock.before.png" "$clock.after.png" null: 2>&1 || true)" != 0 ] || fail "the date was not computed afresh"
    pass "1日 brings the today window back with the new date"

    open cal3 "$TODAY" alt+v c t || return 0
    check_window cal3 "$OPENED"
    open today "$OPENED" alt+v d || return 0
    ends_with "$OPENED" "Alt+F then X in the today window" alt+f x
}

# The About window keeps the program running after the today window is closed,
# and its button brings the system information tool up in front: the one this
# release has, named in the registry file beside the program (as installed).
flow_about() {
    local about tool program=$(sed -n 's/^"PATH"="\(.*\)"\r\?$/\1/p' "$(dirname "$MIREBO")/../share/mirebo/mirebo.reg")
    start_today
    type_keys "$TODAY" alt+v a
    about=$(wait_window "${TITLE[about]}") || fail "ﾊﾞｰｼﾞｮﾝ情報(&A) did not open the About window"
    viewable "$TODAY" || fail "the today window closed"
    [ "$(origin_of "$about")" = "156 129" ] || fail "client area at ($(origin_of "$about")), expected (156, 129)"
    ! xprop -id "$about" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "the About window is on top"
    pass "the About window opens beside the today window, client area at 2340, 1935 twips, not on top"

    xdotool windowminimize "$about"
    wait_gone "$about" || fail "the About window did not minimize"
    type_keys "$TODAY" alt+v a
    until_true 30 in_front "$about" || fail "ﾊﾞｰｼﾞｮﾝ情報(&A) left the About window minimized or inactive: $SAW"
    [ "$(named --name "^${TITLE[about]}\$" | wc -l)" = 1 ] || fail "a second About window"
    pass "ﾊﾞｰｼﾞｮﾝ情報(&A) brings the minimized About window back, active, still one window"

    type_keys "$TODAY" alt+f x
    wait_gone "$TODAY" || fail "Exit did not close the today window"
    # Had the program been ending, it would have ended before it takes this key.
    PATIENCE=0 type_keys "$about" alt+s
    tool=$(PATIENCE=120 wait_window "$(basename "$program")" classname) || fail "the program ended with the About window still open, or ｼｽﾃﾑ情報(&S) did not start $program"
    pids+=("$(xdotool getwindowpid "$tool")")
    until_true 30 in_front "$tool" || fail "the tool is not in front: $SAW"
    pass "ｼｽﾃﾑ情報(&S) brings $program up viewable, not minimized, and active"
    kill "${pids[-1]}"
    wait_gone "$tool" || fail "the tool did not end"
    ends_with "$about" "With the About window the last one open, Esc on it" Escape
}

# 2003-12-28, a two-digit month and day, the widest kind of date: drawn, and
# ending before the last 4 pixels of the client area (405 twips high).
wide_date_whole() {
    import -window "$TODAY" "$scratch/wide.png" && local top=$(($(identify -format %h "$scratch/wide.png") - 27)) &&
        (($(convert "$scratch/wide.png" -crop 100x27+20+$top +repage -format %k info:) > 1)) &&
        [ "$(convert "$scratch/wide.png" -crop 4x27+148+$top +repage -format %k info:)" = 1 ]
}

flow_wide() {
    start_today env LD_PRELOAD="$libfaketime" FAKETIME='@2003-12-28 12:00:00'
    until_true 30 wide_date_whole || fail "the today window does not show the date of 2003-12-28 whole"
    pass "2003年12月28日(日) ends inside the today window"
}

# Left open over midnight, the wall clock faked and the monotonic one real,
# the strip shows the new day; then the program is idle again: a timer armed
# for a midnight the real clock has long passed would wake it over and over.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$APP_PID/stat"; }
new_day_shown() {
    import -window "$TODAY" -crop 140x24+0+20 "$scratch/day.png" &&
        [ "$(compare -metric AE "$scratch/eve.png" "$scratch/day.png" null: 2>&1 || true)" != 0 ]
}
# The program's faked clock less midnight, in seconds: it started 20 s before.
past_midnight() { awk -v t="$(getconf CLK_TCK)" 'NR == 1 { up = $1 } NR == 2 { printf "%.2f", up - $22 / t - 20 }' /proc/uptime "/proc/$APP_PID/stat"; }
flow_midnight() {
    local ticks
    start_today env LD_PRELOAD="$libfaketime" DONT_FAKE_MONOTONIC=1 FAKETIME='@2098-12-31 23:59:40'
    today_drawn "$scratch/eve.png"
    [[ $(past_midnight) == -* ]] || fail "the today window showed only after midnight had passed"
    # 40 s or more after midnight
    until_true 60 new_day_shown || fail "the strip still shows 2098年12月31日(水) $(past_midnight) s after midnight"
    placed "$TODAY" "$(corner today)" || fail "today: frame $DETAIL after midnight"
    pass "the same strip at its corner shows the new day after midnight"
    ticks=$(cpu_ticks)
    sleep 2 # how busy the program is over two seconds, not a wait for something
    (($(cpu_ticks) - ticks < 20)) || fail "the program used $(($(cpu_ticks) - ticks)) of 200 ticks of CPU time in 2 s after midnight"
    pass "the program is idle after midnight"
}

# a11y_tree LINE...: every line (a basic regular expression) is, or comes, in the AT-SPI tree
# (with the day cells and their descriptions when CELLS is set). AT-SPI 2.52 on (Debian 13) names a push button "button".
tree_has() {
    GOT=$(/usr/bin/python3 "$(dirname "$0")/atspi_tree.py" ${CELLS:+cells})
    for LINE in "$@"; do grep -qx -- "$LINE" <<<"$GOT" || return 1; done
}
a11y_tree() { until_true 30 tree_has "$@" || fail "not in the AT-SPI tree: $LINE"$'\n'"$GOT"; }

flow_a11y() {
    start_x
    session_bus
    tree_has # brings up the accessibility bus before the program looks for it
    # On 2026-09-21 the calendar opens on a month with three holidays in a row.
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 start_app env LD_PRELOAD="$libfaketime" FAKETIME="@2026-09-21 12:00:00"
    TODAY=$(wait_window "${TITLE[today]}") || fail "no today window"
    type_keys "$TODAY" alt+v a
    wait_window "${TITLE[about]}" >/dev/null || fail "the About window did not open"
    a11y_tree "frame|ﾐﾚﾎﾞ|frame|ﾐﾚﾎﾞ" "frame|ﾐﾚﾎﾞ|menu bar|" "frame|ﾐﾚﾎﾞ|label|.\+" \
        "dialog|ミレボのﾊﾞｰｼﾞｮﾝ情報|dialog|ミレボのﾊﾞｰｼﾞｮﾝ情報" "dialog|ミレボのﾊﾞｰｼﾞｮﾝ情報|\(push \)\?button|OK"
    type_keys "$TODAY" alt+v c y
    a11y_tree "frame|ミレボ|frame|ミレボ" "frame|ミレボ|menu bar|" "frame|ミレボ|table|.*" \
        "frame|ミレボ|\(push \)\?button|前の月" "frame|ミレボ|\(push \)\?button|次の月"
    CELLS=1 a11y_tree "frame|ミレボ|table cell|2026年9月22日[^|]*|国民の休日" "frame|ミレボ|table cell|2026年9月24日[^|]*|"
    pass "screen readers see the today window and the calendar as frames, the About window as a dialog, with their controls"
    pass "a holiday's day cell carries the holiday's name as its description, a working day's none"
}

# case_row ROW WM SCREEN MONITORS SCALE FLOW: one row of the case table, on an X server of its own.
case_row() {
    SCREEN_SIZE=$3 MONITORS=$4 SCALE=$5
    echo "== $1: $3${MONITORS:+ as $MONITORS}, scale $SCALE, flow $6"
    trap cleanup EXIT
    "flow_$6"
}

command -v "${WM_COMMAND[$WM]%% *}" >/dev/null || fail "$WM is not installed"
table e2e_cases.txt | awk -F'|' -v wm="$WM" -v rows="$ROWS" '$2 == wm && $1 ~ rows' >"$scratch/cases"
[ -s "$scratch/cases" ] || fail "no cases for $WM"
each_row case_row <"$scratch/cases"
