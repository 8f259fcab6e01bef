#!/usr/bin/env bash
# The end-to-end cases for one window manager: `drive.sh MIREBO WM` runs the
# lines of CASES whose first column is WM, each on a fresh X server.
source "$(dirname "$0")/lib.sh"
WM=${2:?usage: $0 path/to/mirebo WM}

# window manager, screen, RandR monitors (primary marked *), QT_SCALE_FACTOR, flow
CASES="
openbox   1920x1080  -                                  1     windows
openbox   1920x1080  -                                  1     calendar
openbox   1920x1080  -                                  1     about
openbox   1920x1080  -                                  1     icon
openbox   640x480    -                                  1     windows
openbox   3840x2160  -                                  1     windows
openbox   3840x2160  -                                  2     windows
openbox   1920x1080  -                                  1.25  windows
openbox   1920x1080  -                                  1.5   windows
openbox   3840x1200  1920x1080+0+0,*1920x1200+1920+0    1     windows
openbox   3840x1200  *1920x1080+0+0,1920x1200+1920+0    1     windows
openbox   3840x1200  1920x1200+0+0,*1920x1080+1920+120  1.5   windows
xfwm4     1920x1080  -                                  1     windows
icewm     1920x1080  -                                  1     windows
fluxbox   1920x1080  -                                  1     windows
kwin_x11  1920x1080  -                                  1     windows
weston    1920x1080  -                                  1     windows
"

# What a window manager is known not to honour, by manager and check. Such a
# check prints "known:" instead of passing; every other failure fails.
declare -A KNOWN=(
    [openbox.minimize]="openbox offers minimize on a window that asks for close only"
    [xfwm4.corner]="xfwm4 keeps the whole frame on the screen, and its wider border moves the frame 4 px to the left"
    [icewm.resize]="icewm offers the resize action on a window whose minimum and maximum size are the same"
    [kwin_x11.minimize]="kwin_x11 offers minimize on a window that asks for close only"
    [weston.corner]="weston's XWayland window manager places X windows itself"
    [weston.above]="weston's XWayland window manager does not take _NET_WM_STATE_ABOVE"
    [weston.resize]="weston's XWayland window manager sets no _NET_WM_ALLOWED_ACTIONS"
    [weston.maximize]="weston's XWayland window manager sets no _NET_WM_ALLOWED_ACTIONS"
    [weston.minimize]="weston's XWayland window manager sets no _NET_WM_ALLOWED_ACTIONS"
    [weston.close]="weston's XWayland window manager sets no _NET_WM_ALLOWED_ACTIONS"
    [weston.switch]="keys sent with xdotool do not reach the program on weston's headless output"
)

# Per window: title, corner offsets and client width in pixels at 96 dots
# per inch (twips / 15), and the title-bar functions asked of the manager
# (_MOTIF_WM_HINTS bits: 8 minimize, 16 maximize, 32 close).
declare -A TITLE=([today]='ﾐﾚﾎﾞ' [cal1]='ミレボ' [cal3]='ミレボ' [cal12]='ミレボ')
declare -A OFFSETS=([today]="158 100" [cal1]="165 221" [cal3]="490 222" [cal12]="491 625")
declare -A WIDTH=([today]=152 [cal1]=159 [cal3]=484 [cal12]=485)
declare -A FUNCTIONS=([today]=$((8 | 32)) [cal1]=32 [cal3]=32 [cal12]=32)

# expect CHECK WHAT COMMAND...: a check of what the window manager does.
expect() {
    local check=$1 what=$2
    shift 2
    if "$@"; then
        pass "$what"
    elif [ -n "${KNOWN[$WM.$check]:-}" ]; then
        echo "known: $WM: ${KNOWN[$WM.$check]}"
    else
        fail "$what${DETAIL:+: $DETAIL}"
    fi
}

# scaled V: V logical pixels in device pixels, rounded half away from zero
# as Qt rounds them.
scaled() { awk -v v="$1" -v s="$SCALE" 'BEGIN { v *= s; print (v < 0) ? -int(-v + 0.5) : int(v + 0.5) }'; }

# corner KIND: where the frame belongs, in device pixels: the primary
# monitor's origin plus, scaled, its logical size less the offsets.
corner() {
    local primary=${SCREEN_SIZE}+0+0 m
    for m in ${MONITORS//,/ }; do [[ $m == \** ]] && primary=${m#\*}; done
    awk -v g="$primary" -v o="${OFFSETS[$1]}" -v s="$SCALE" 'function r(v) { return v < 0 ? -int(-v + 0.5) : int(v + 0.5) }
        BEGIN { split(g, p, /[x+]/); split(o, d, " "); print p[3] + r((p[1] / s - d[1]) * s), p[4] + r((p[2] / s - d[2]) * s) }'
}

# placed ID "X Y": the frame within 1 px of there, once the manager is done.
placed() {
    local x y ex ey
    for _ in $(seq 30); do
        read -r x y <<<"$(frame_origin "$1")"
        read -r ex ey <<<"$2"
        (((x - ex) ** 2 <= 1 && (y - ey) ** 2 <= 1)) && return 0
        sleep 0.1
    done
    DETAIL="found at ($x, $y)"
    return 1
}

above() { until_true 40 eval "xprop -id $1 _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE"; }
allowed() { DETAIL=$(xprop -id "$1" _NET_WM_ALLOWED_ACTIONS 2>&1); grep -q "_NET_WM_ACTION_$2\b" <<<"$DETAIL"; }
not_allowed() { ! allowed "$@" && grep -q 'ALLOWED_ACTIONS(ATOM)' <<<"$DETAIL"; }

# check_window KIND ID: corner, on top, fixed size, client width and title
# buttons of a main window. What the program asks is checked as such; what
# the window manager makes of it may be known behaviour.
check_window() {
    local kind=$1 id=$2 at hints min max size functions
    at=$(corner "$kind")
    expect corner "$kind: frame at ($at)" placed "$id" "$at"
    DETAIL=$(xprop -id "$id" _NET_WM_STATE)
    expect above "$kind: _NET_WM_STATE_ABOVE" above "$id"

    hints=$(xprop -id "$id" WM_NORMAL_HINTS)
    min=$(sed -n 's/.*minimum size: //p' <<<"$hints")
    max=$(sed -n 's/.*maximum size: //p' <<<"$hints")
    size=$(xwininfo -id "$id" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w " by " h}')
    [ -n "$min" ] && [ "$min" = "$max" ] && [ "$min" = "$size" ] || fail "$kind: resizable: $min / $max, $size"
    [ "${size%% *}" = "$(scaled "${WIDTH[$kind]}")" ] || fail "$kind: $size wide, expected $(scaled "${WIDTH[$kind]}")"
    pass "$kind: fixed size $size at scale $SCALE"
    expect resize "$kind: the manager offers no resizing" not_allowed "$id" RESIZE

    functions=$(motif_functions "$id")
    ((($functions & (8 | 16 | 32)) == FUNCTIONS[$kind])) || fail "$kind: title-bar functions $functions"
    expect maximize "$kind: no maximize" not_allowed "$id" MAXIMIZE_HORZ
    if ((functions & 8)); then
        expect minimize "$kind: minimize and close" allowed "$id" MINIMIZE
    else
        expect minimize "$kind: close only, no minimize" not_allowed "$id" MINIMIZE
    fi
    expect close "$kind: close" allowed "$id" CLOSE
}

# The today window and, after a switch, the twelve-month window; Exit ends
# the program.
flow_windows() {
    local today cal
    start_x
    QT_SCALE_FACTOR=$SCALE start_app
    today=$(wait_window "${TITLE[today]}") || fail "no today window titled ${TITLE[today]}"
    [ -z "${WAYLAND_DISPLAY:-}" ] || pass "with WAYLAND_DISPLAY set the program chose xcb: its window is on XWayland's $DISPLAY"
    check_window today "$today"
    type_keys "$today" alt+v c y
    if ! cal=$(wait_window "${TITLE[cal12]}"); then
        expect switch "Alt+V, C, Y opens a calendar titled ${TITLE[cal12]}" false
        return
    fi
    wait_gone "$today" || fail "the today window is still there"
    check_window cal12 "$cal"
    type_keys "$cal" alt+f x
    wait_exit "$APP_PID" || fail "Alt+F, X did not end the program"
    pass "Alt+F then X ends the program"
}

# Switching between the today window and the calendars with the real mouse
# and keyboard. The clock is moved on between two loads of the today window
# (libfaketime reads the time from a file on every call).
flow_calendar() {
    local clockfile=$scratch/clock faketime_lib today month three difference
    # Offsets from the real time, never back in time: a clock that runs behind
    # the files on disk makes fontconfig rebuild its caches for every program.
    echo "+0" >"$clockfile"
    faketime_lib=$(find /usr/lib -name libfaketime.so.1 | head -n 1)
    [ -n "$faketime_lib" ] || fail "libfaketime is not installed"
    start_x
    LD_PRELOAD=$faketime_lib FAKETIME_TIMESTAMP_FILE=$clockfile FAKETIME_NO_CACHE=1 start_app
    today=$(wait_window "${TITLE[today]}") || fail "the today window did not appear"
    wait_origin "$today" "$(corner today)"
    sleep 0.3
    import -window "$today" -crop 140x24+0+20 "$clockfile.before.png"

    # A real double-click on the date text.
    xdotool mousemove --window "$today" 20 32 click --repeat 2 --delay 80 1
    month=$(wait_window "${TITLE[cal1]}") || fail "the one-month window did not open"
    wait_gone "$today" || fail "the today window is still there"
    check_window cal1 "$month"
    pass "double-click opens the one-month window and closes the today window"

    # The menu path back to the date strip, a day later.
    echo "+1d" >"$clockfile"
    type_keys "$month" alt+v d
    today=$(wait_window "${TITLE[today]}") || fail "1日 did not bring the today window back"
    wait_gone "$month" || fail "the one-month window is still there"
    wait_origin "$today" "$(corner today)"
    sleep 0.3
    import -window "$today" -crop 140x24+0+20 "$clockfile.after.png"
    difference=$(compare -metric AE "$clockfile.before.png" "$clockfile.after.png" null: 2>&1 || true)
    [ "${difference%% *}" != 0 ] || fail "the date was not computed afresh"
    pass "1日 brings the today window back with the new date"

    type_keys "$today" alt+v c t
    three=$(wait_window "${TITLE[cal3]}") || fail "Alt+V, C, T did not open a calendar"
    wait_gone "$today" || fail "the today window is still there"
    check_window cal3 "$three"
    pass "Alt+V, C, T opens the three-month window"
}

# The About window: opened beside the today window, where its layout puts
# it, not on top, and it keeps the program running after the today window
# is closed, until Esc closes it too.
flow_about() {
    local today about
    start_x
    start_app
    today=$(wait_window "${TITLE[today]}") || fail "the today window did not appear"
    type_keys "$today" alt+v a
    about=$(wait_window 'ミレボのﾊﾞｰｼﾞｮﾝ情報') || fail "ﾊﾞｰｼﾞｮﾝ情報(&A) did not open the About window"
    xwininfo -id "$today" | grep -q IsViewable || fail "the today window closed"
    pass "the About window opens beside the today window"

    [ "$(origin_of "$about")" = "156 129" ] || fail "client area at ($(origin_of "$about")), expected (156, 129)"
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
}

# The program icon at 16 and 32 pixels in _NET_WM_ICON, a WM_CLASS that lets
# a task bar match the window to mirebo.desktop; Exit from the today window.
flow_icon() {
    local win icons
    start_x
    start_app
    win=$(wait_window "${TITLE[today]}") || fail "the today window did not appear"
    icons=$(xprop -id "$win" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | sort -u)
    grep -q 'Icon (16 x 16)' <<<"$icons" || fail "no 16 x 16 window icon: ${icons:-none}"
    grep -q 'Icon (32 x 32)' <<<"$icons" || fail "no 32 x 32 window icon: ${icons:-none}"
    pass "window icon at 16 and 32 pixels"
    xprop -id "$win" WM_CLASS | grep -qi '"mirebo"' || fail "WM_CLASS $(xprop -id "$win" WM_CLASS)"
    pass "WM_CLASS names mirebo"
    type_keys "$win" alt+f x
    wait_exit "$APP_PID" || fail "Alt+F, X in the today window did not end the program"
    pass "Alt+F then X in the today window ends the program"
}

command -v "$WM" >/dev/null || fail "$WM is not installed"
ran=0
while read -r wm screen monitors scale flow; do
    [ "$wm" = "$WM" ] || continue
    SCREEN_SIZE=$screen MONITORS=${monitors#-} SCALE=$scale
    echo "== $WM, $screen${MONITORS:+ as $MONITORS}, scale $SCALE: $flow"
    "flow_$flow"
    cleanup
    ran=$((ran + 1))
done <<<"$CASES"
((ran)) || fail "no cases for $WM"
