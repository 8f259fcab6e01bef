# Shared by the end-to-end tests: an X server with a window manager (openbox
# unless WM names another), the program under test, and a few checks.
# Everything started here is stopped by process id.
set -euo pipefail

MIREBO=${1:?usage: $0 path/to/mirebo}
SCREEN_SIZE=${SCREEN_SIZE:-1920x1080}
# MONITORS: RandR monitors WxH+X+Y separated by commas, the primary one
# marked with a leading '*'; unset, the whole screen is one monitor.
MONITORS=${MONITORS:-}
WM=${WM:-openbox}
export LANG=${TEST_LANG:-ja_JP.UTF-8} LC_ALL= LC_TIME=
unset QT_QPA_PLATFORM WAYLAND_DISPLAY XDG_SESSION_TYPE
# No session bus: what the program does on screen must not hang on one.
export DBUS_SESSION_BUS_ADDRESS=disabled:
scratch=$(mktemp -d)

# How each window manager starts. xfwm4 (for its settings daemon) and
# kwin_x11 get a session bus of their own, and no compositing (Xvfb has no
# GL); weston is a Wayland compositor whose XWayland server takes the place
# of Xvfb.
declare -A WM_COMMAND=(
    [openbox]="openbox --sm-disable"
    [xfwm4]="xfwm4 --compositor=off --sm-client-disable"
    [icewm]="icewm"
    [fluxbox]="fluxbox"
    [kwin_x11]="env KWIN_COMPOSE=N kwin_x11"
    [weston]="weston --backend=headless-backend.so --xwayland --idle-time=0"
)

pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    pids=()
}
trap 'cleanup; rm -rf "$scratch"' EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -s "$scratch/app.log" ] && { echo "--- program output:" >&2; tail -n 20 "$scratch/app.log" >&2; }
    [ -s "$scratch/wm.log" ] && { echo "--- $WM output:" >&2; tail -n 10 "$scratch/wm.log" >&2; }
    echo "--- windows on ${DISPLAY:-}:" >&2
    xdotool search --name . 2>/dev/null | while read -r w; do
        echo "$w $(xdotool getwindowname "$w" 2>/dev/null) $(xwininfo -id "$w" 2>/dev/null | grep -E 'Map State|geometry' | tr -s ' \n' ' ')"
    done >&2 || true
    exit 1
}
pass() { echo "ok: $*"; }

# start_x: a fresh X server with the window manager managing it. Starting
# them is retried a few times: on a loaded machine either may fail to come
# up, and that is not what the tests are about.
start_x() {
    local attempt
    for attempt in 1 2 3 4 5; do
        try_start_x && return 0
        echo "start_x: attempt $attempt failed, trying again" >&2
        tail -n 5 "$scratch/x.log" "$scratch/wm.log" >&2 2>/dev/null || true
        cleanup
        sleep "$attempt"
    done
    fail "no X server with $WM"
}

# until_true TRIES COMMAND...: polls every 50 ms.
until_true() {
    local tries=$1
    shift
    for _ in $(seq "$tries"); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    return 1
}

try_start_x() {
    if [ "$WM" = weston ]; then
        try_start_weston
    else
        try_start_xvfb && set_monitors && try_start_wm
    fi
}

try_start_xvfb() {
    local n
    # A display number picked at random from a wide range: one that another
    # test has only just given up can still be in the middle of shutting down.
    for _ in $(seq 50); do
        n=$((100 + RANDOM % 800))
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
    done
    # -noreset: monitors set through RandR would go with the server's reset
    # when the last client (xrandr itself) disconnects.
    Xvfb ":$n" -screen 0 "${SCREEN_SIZE}x24" +extension RANDR -noreset -nolisten tcp >"$scratch/x.log" 2>&1 &
    pids+=($!)
    export DISPLAY=":$n"
    until_true 100 xdpyinfo
}

# The first monitor takes over Xvfb's one output, so that no monitor spanning
# the whole screen is left beside them.
set_monitors() {
    local monitor name output=screen i=0 size
    [ -n "$MONITORS" ] || return 0
    for monitor in ${MONITORS//,/ }; do
        name=M$i
        [[ $monitor == \** ]] && { name="*$name"; monitor=${monitor#\*}; }
        size=${monitor%%+*}
        # Physical sizes at 96 dots per inch.
        xrandr --setmonitor "$name" "${size%x*}/$((${size%x*} * 254 / 960))x${size#*x}/$((${size#*x} * 254 / 960))+${monitor#*+}" "$output" >/dev/null || return 1
        output=none i=$((i + 1))
    done
}

# The window manager announces itself on the root window once it manages.
wm_announced() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }

try_start_wm() {
    local bus=$DBUS_SESSION_BUS_ADDRESS
    if [ "$WM" = kwin_x11 ] || [ "$WM" = xfwm4 ]; then
        dbus-daemon --session --nofork --print-address=3 3>"$scratch/bus" >/dev/null 2>&1 &
        pids+=($!)
        until_true 100 test -s "$scratch/bus" || return 1
        bus=$(head -n 1 "$scratch/bus")
    fi
    DBUS_SESSION_BUS_ADDRESS=$bus ${WM_COMMAND[$WM]} >"$scratch/wm.log" 2>&1 &
    pids+=($!)
    # kwin takes a few seconds on a loaded machine.
    until_true 600 wm_announced || return 1
    # Some announce themselves before they handle the first map request.
    [ "$WM" = openbox ] || sleep 1
}

# weston with its headless output, its own XWayland server as the display,
# and WAYLAND_DISPLAY set for the program, which must choose xcb by itself.
try_start_weston() {
    local n
    export XDG_RUNTIME_DIR=$scratch/run WAYLAND_DISPLAY=mirebo-$$
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    ${WM_COMMAND[weston]} --socket="$WAYLAND_DISPLAY" --width="${SCREEN_SIZE%x*}" --height="${SCREEN_SIZE#*x}" >"$scratch/wm.log" 2>&1 &
    pids+=($!)
    until_true 200 grep -q 'xserver listening on display' "$scratch/wm.log" || return 1
    n=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$scratch/wm.log" | head -n 1)
    export DISPLAY=$n
    # XWayland starts on the first X client; its window manager follows.
    until_true 200 wm_announced
}

start_app() {
    "$MIREBO" >"$scratch/app.log" 2>&1 &
    APP_PID=$!
    pids+=($APP_PID)
}

# wait_window NAME: prints the id of the visible window with that title.
wait_window() {
    local id
    for _ in $(seq 200); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.05
    done
    return 1
}

# wait_gone ID: until the window is no longer mapped.
wait_gone() {
    for _ in $(seq 200); do
        xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable' || return 0
        sleep 0.05
    done
    return 1
}

# origin_of ID: "X Y" of the window's top-left corner on the root window.
origin_of() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}'
}

# frame_origin ID: "X Y" of the frame's top-left corner, title bar and
# borders included: from _NET_FRAME_EXTENTS, or where a window manager does
# not set it, the window it reparented the client into.
frame_origin() {
    local id=$1 extents left top x y tree
    extents=$(xprop -id "$id" _NET_FRAME_EXTENTS | sed -n 's/.*= //p')
    if [ -z "$extents" ]; then
        while tree=$(xwininfo -id "$id" -tree) && ! grep -q 'Parent window id: .*(the root window)' <<<"$tree"; do
            id=$(awk '/Parent window id:/ {print $4}' <<<"$tree")
        done
    fi
    left=$(cut -d, -f1 <<<"$extents" | tr -d ' ')
    top=$(cut -d, -f3 <<<"$extents" | tr -d ' ')
    read -r x y <<<"$(origin_of "$id")"
    echo "$((x - ${left:-0})) $((y - ${top:-0}))"
}

# at_origin ID "X Y": the window manager may still be placing the frame.
at_origin() {
    for _ in $(seq 100); do
        ORIGIN=$(frame_origin "$1")
        [ "$ORIGIN" = "$2" ] && return 0
        sleep 0.05
    done
    return 1
}

wait_origin() { at_origin "$@" || fail "frame at ($ORIGIN), expected ($2)"; }

# type_keys ID KEYS...: focuses the window and types the keys one after the
# other, with time for a menu to open in between.
type_keys() {
    local id=$1 key
    shift
    # Bounded: a window manager that never activates it would hold --sync forever.
    timeout 2 xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
    for key in "$@"; do
        xdotool key --clearmodifiers "$key"
        sleep 0.3
    done
}

wait_exit() {
    for _ in $(seq 200); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.05
    done
    return 1
}

# motif_functions ID: the window's _MOTIF_WM_HINTS functions field, in decimal.
# Bits: 2 resize, 4 move, 8 minimize, 16 maximize, 32 close.
motif_functions() {
    local hints
    hints=$(xprop -id "$1" _MOTIF_WM_HINTS | sed -n 's/.*= //p')
    echo $(($(cut -d, -f2 <<<"$hints")))
}
