# Shared by the end-to-end tests: an X server with openbox, the program under
# test, and a few checks. Everything started here is stopped by process id.
set -euo pipefail

MIREBO=${1:?usage: $0 path/to/mirebo}
SCREEN_SIZE=${SCREEN_SIZE:-1920x1080}
export LANG=${TEST_LANG:-ja_JP.UTF-8} LC_ALL= LC_TIME=
unset QT_QPA_PLATFORM WAYLAND_DISPLAY XDG_SESSION_TYPE
# No session bus: what the program does on screen must not hang on one.
export DBUS_SESSION_BUS_ADDRESS=disabled:

pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    local log="${TMPDIR:-/tmp}/mirebo-e2e.$$.log"
    [ -s "$log" ] && { echo "--- program output:" >&2; tail -n 20 "$log" >&2; }
    echo "--- windows on ${DISPLAY:-}:" >&2
    xdotool search --name . 2>/dev/null | while read -r w; do
        echo "$w $(xdotool getwindowname "$w" 2>/dev/null) $(xwininfo -id "$w" 2>/dev/null | grep -E 'Map State|geometry' | tr -s ' \n' ' ')"
    done >&2 || true
    exit 1
}
pass() { echo "ok: $*"; }

# start_x: a fresh X server with openbox managing it. Starting them is
# retried a few times: on a loaded machine either may fail to come up, and
# that is not what the tests are about.
start_x() {
    local attempt
    for attempt in 1 2 3 4 5; do
        try_start_x && return 0
        echo "start_x: attempt $attempt failed, trying again" >&2
        tail -n 5 "${TMPDIR:-/tmp}/mirebo-xvfb.$$.log" >&2 2>/dev/null || true
        sleep "$attempt"
    done
    fail "no X server with a window manager"
}

try_start_x() {
    local n xvfb wm
    # A display number picked at random from a wide range: one that another
    # test has only just given up can still be in the middle of shutting down.
    for _ in $(seq 50); do
        n=$((100 + RANDOM % 800))
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
    done
    Xvfb ":$n" -screen 0 "${SCREEN_SIZE}x24" -nolisten tcp >"${TMPDIR:-/tmp}/mirebo-xvfb.$$.log" 2>&1 &
    xvfb=$!
    export DISPLAY=":$n"
    for _ in $(seq 100); do
        xdpyinfo >/dev/null 2>&1 && break
        kill -0 "$xvfb" 2>/dev/null || break
        sleep 0.05
    done
    if ! xdpyinfo >/dev/null 2>&1; then
        kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null
        return 1
    fi
    openbox --sm-disable >/dev/null 2>&1 &
    wm=$!
    # openbox announces itself on the root window once it manages.
    for _ in $(seq 100); do
        if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
            pids+=("$xvfb" "$wm")
            return 0
        fi
        kill -0 "$wm" 2>/dev/null || break
        sleep 0.05
    done
    kill "$wm" "$xvfb" 2>/dev/null; wait "$wm" "$xvfb" 2>/dev/null
    return 1
}

start_app() {
    "$MIREBO" >"${TMPDIR:-/tmp}/mirebo-e2e.$$.log" 2>&1 &
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

# frame_origin ID: "X Y" of the frame's top-left corner, title bar and borders included.
frame_origin() {
    local info x y extents left top
    info=$(xwininfo -id "$1")
    x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
    y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p')
    left=$(cut -d, -f1 <<<"$extents" | tr -d ' ')
    top=$(cut -d, -f3 <<<"$extents" | tr -d ' ')
    echo "$((x - ${left:-0})) $((y - ${top:-0}))"
}

# wait_origin ID "X Y": the window manager may still be placing the frame.
wait_origin() {
    local got
    for _ in $(seq 100); do
        got=$(frame_origin "$1")
        [ "$got" = "$2" ] && return 0
        sleep 0.05
    done
    fail "frame at ($got), expected ($2)"
}

# type_keys ID KEYS...: focuses the window and types the keys one after the
# other, with time for a menu to open in between.
type_keys() {
    local id=$1 key
    shift
    xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
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
