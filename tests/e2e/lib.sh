# Shared by the end-to-end tests: an X server with a window manager (WM,
# openbox by default), the program under test, and checks. All stopped by pid.
set -euo pipefail

MIREBO=${1:?usage: $0 path/to/mirebo}
# MONITORS: RandR monitors WxH+X+Y, comma-separated, the primary marked '*'.
SCREEN_SIZE=${SCREEN_SIZE:-1920x1080} MONITORS=${MONITORS:-} WM=${WM:-openbox}
export LANG=${TEST_LANG:-ja_JP.UTF-8} LC_ALL= LC_TIME=
unset QT_QPA_PLATFORM WAYLAND_DISPLAY XDG_SESSION_TYPE
# No session bus unless a test starts one: nothing on screen may hang on one.
export DBUS_SESSION_BUS_ADDRESS=disabled:
scratch=$(mktemp -d)

# Xvfb has no GPU: compositing is off where a manager lets it be (kwin_x11
# through KWIN_COMPOSE), mutter composites in software. The Wayland
# compositors run headless, and their XWayland server stands in for Xvfb.
declare -A WM_COMMAND=(
    [openbox]="openbox --sm-disable"
    [xfwm4]="xfwm4 --compositor=off --sm-client-disable"
    [icewm]="icewm"
    [fluxbox]="fluxbox"
    [kwin_x11]="kwin_x11"
    [mutter]="mutter --x11 --replace --sm-disable"
    [weston]="weston --backend=headless-backend.so --xwayland --idle-time=0"
    [mutter_wayland]="mutter --wayland --headless"
    [kwin_wayland]="kwin_wayland --virtual --xwayland"
)

pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    pids=() APP_PID= WM_PID=
}
trap 'cleanup; rm -rf "$scratch"' EXIT

# alive NAME PID: whether PID still runs, or how it ended.
alive() {
    local status=0
    [ -n "$2" ] || return 0
    kill -0 "$2" 2>/dev/null && { echo "$1 is running"; return 0; }
    wait "$2" 2>/dev/null || status=$?
    echo "$1 has ended, exit status $status"
}

# What tells a slow start from a program that failed: whether the program
# and the manager still run, every named window the server has, mapped or
# not, and the tails of the logs.
fail() {
    local w name
    echo "FAIL: $*" >&2
    {
        alive "the program" "${APP_PID:-}"
        alive "$WM" "${WM_PID:-}"
        echo "--- named windows on ${DISPLAY:-}:"
        xwininfo -root -tree 2>&1 | sed -n 's/^ *\(0x[0-9a-f]*\) \(".*"\): .*/\1 \2/p; /^xwininfo: error/p' | while read -r w name; do
            [[ $w == 0x* ]] && name+=" $(xwininfo -id "$w" | grep -E 'Map State|geometry' | tr -s ' \n' ' ')"
            echo "$w $name"
        done
        tail -n 20 "$scratch/app.log" "$scratch/wm.log" "$scratch/x.log"
    } >&2 2>/dev/null || true
    exit 1
}
pass() { echo "ok: $*"; }

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

# Retried: on a loaded machine the server or the manager may fail to come up,
# and that is not what is tested.
start_x() {
    local attempt
    for attempt in 1 2 3 4 5; do
        if [[ $WM == weston || $WM == *_wayland ]]; then try_start_wayland; else try_start_xvfb && set_monitors && try_start_wm; fi &&
            wm_maps_windows && return 0
        echo "start_x: attempt $attempt failed" >&2
        tail -n 5 "$scratch/x.log" "$scratch/wm.log" >&2 2>/dev/null || true
        cleanup
        sleep "$attempt"
    done
    fail "no X server with $WM"
}

session_bus() {
    rm -f "$scratch/bus"
    dbus-daemon --session --nofork --print-address=3 3>"$scratch/bus" >/dev/null 2>&1 &
    pids+=($!)
    until_true 100 test -s "$scratch/bus" || return 1
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$scratch/bus")
}

try_start_xvfb() {
    local n
    # A display another test has just given up may still be shutting down.
    for _ in $(seq 50); do
        n=$((100 + RANDOM % 800))
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
    done
    # -noreset: RandR monitors would go with the reset when xrandr disconnects.
    Xvfb ":$n" -screen 0 "${SCREEN_SIZE}x24" +extension RANDR -noreset -nolisten tcp >"$scratch/x.log" 2>&1 &
    pids+=($!)
    export DISPLAY=":$n"
    until_true 100 xdpyinfo
}

# The first monitor takes over Xvfb's one output, so that no monitor spanning
# the screen is left beside them. Physical sizes at 96 dots per inch.
set_monitors() {
    local monitor name output=screen i=0 w h
    for monitor in ${MONITORS//,/ }; do
        name=M$((i++))
        [[ $monitor == \** ]] && { name="*$name"; monitor=${monitor#\*}; }
        w=${monitor%%x*} h=${monitor#*x} h=${h%%+*}
        xrandr --setmonitor "$name" "$w/$((w * 254 / 960))x$h/$((h * 254 / 960))+${monitor#*+}" "$output" >/dev/null || return 1
        output=none
    done
}

wm_announced() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }

# These talk to the desktop's session bus on start and wait for it.
needs_bus() { [[ $WM == kwin* || $WM == mutter* || $WM == xfwm4 ]]; }

try_start_wm() {
    if needs_bus; then session_bus || return 1; fi
    KWIN_COMPOSE=N ${WM_COMMAND[$WM]} >"$scratch/wm.log" 2>&1 &
    WM_PID=$!
    pids+=($WM_PID)
    until_true 600 wm_announced # kwin takes seconds on a loaded machine
}

# A manager counts as started once it has mapped a window of ours, not when
# it announces itself: openbox 3.6 announces itself before its event loop
# runs, and a map request that comes in between waits in openbox's own queue
# until some other event wakes it (the program's window then stayed
# unmapped). A root property set on every try is that other event.
maps_probe() {
    xprop -root -f _MIREBO_PROBE 8s -set _MIREBO_PROBE 1
    xprop -name mirebo-probe WM_STATE | grep -q Normal
}
wm_maps_windows() {
    xlogo -title mirebo-probe -geometry 8x8+0+0 >/dev/null 2>&1 &
    local probe=$! status=0
    until_true 600 maps_probe || status=1
    kill "$probe" 2>/dev/null || true
    wait "$probe" 2>/dev/null || true
    return $status
}

# The program gets WAYLAND_DISPLAY and must choose xcb by itself. weston
# writes its XWayland display in its log; mutter and kwin give it, with
# mutter's X authority file, to a session command, which writes them down.
# kwin_wayland runs from a plain copy (the installed one carries a file
# capability a container refuses) named as kwin looks for its Qt plug-in.
try_start_wayland() {
    local width=${SCREEN_SIZE%x*} height=${SCREEN_SIZE#*x} cmd
    local session='echo $$ $DISPLAY ${XAUTHORITY:-} >"$0"; exec sleep infinity'
    export XDG_RUNTIME_DIR=$scratch/run WAYLAND_DISPLAY=mirebo-$$
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    rm -f "$scratch/session"
    read -r -a cmd <<<"${WM_COMMAND[$WM]}"
    case $WM in
    weston) cmd+=(--socket="$WAYLAND_DISPLAY" --width="$width" --height="$height") ;;
    mutter_wayland) cmd+=(--virtual-monitor "$SCREEN_SIZE" --wayland-display="$WAYLAND_DISPLAY" -- sh -c "$session" "$scratch/session") ;;
    kwin_wayland)
        mkdir -p "$scratch/kwin" && cp "$(command -v kwin_wayland)" "$scratch/kwin/" || return 1
        cmd=("$scratch/kwin/kwin_wayland" "${cmd[@]:1}" --width "$width" --height "$height"
            --socket "$WAYLAND_DISPLAY" --exit-with-session "sh -c '$session' $scratch/session") ;;
    esac
    if needs_bus; then session_bus || return 1; fi
    "${cmd[@]}" >"$scratch/wm.log" 2>&1 &
    WM_PID=$!
    pids+=($WM_PID)
    if [ "$WM" = weston ]; then
        until_true 200 grep -q 'xserver listening on display' "$scratch/wm.log" || return 1
        export DISPLAY=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$scratch/wm.log" | head -n 1)
    else
        until_true 600 test -s "$scratch/session" || return 1
        read -r SESSION_PID DISPLAY XAUTHORITY <"$scratch/session"
        pids+=($SESSION_PID)
        export DISPLAY XAUTHORITY
    fi
    until_true 600 wm_announced # XWayland may start on the first X client
}

start_app() {
    "$@" "$MIREBO" >"$scratch/app.log" 2>&1 &
    APP_PID=$!
    pids+=($APP_PID)
}

# PATIENCE, where set, is the tries of wait_window and placed: one for a
# caller that expects to find nothing.
# wait_window NAME: prints the id of the visible window with that title.
visible_named() { WINDOW=$(xdotool search --onlyvisible --name "^$1\$" | head -n 1) && [ -n "$WINDOW" ]; }
wait_window() { until_true "${PATIENCE:-200}" visible_named "$1" && echo "$WINDOW"; }
wait_gone() { until_true 200 eval "! xwininfo -id $1 | grep -q IsViewable"; }
wait_exit() { until_true 200 eval "! kill -0 $1"; }
viewable() { xwininfo -id "$1" | grep -q IsViewable; }
origin_of() { xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}'; }

# frame_origin ID: "X Y" of the frame, from _NET_FRAME_EXTENTS or, where a
# manager does not set it, the window it reparented the client into.
frame_origin() {
    local id=$1 extents tree x y left top
    extents=$(xprop -id "$id" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ' ')
    if [ -z "$extents" ]; then
        while tree=$(xwininfo -id "$id" -tree) && ! grep -q 'Parent window id: .*(the root window)' <<<"$tree"; do
            id=$(awk '/Parent window id:/ {print $4}' <<<"$tree")
        done
    fi
    IFS=, read -r left _ top _ <<<"${extents:-0,0,0,0}"
    read -r x y <<<"$(origin_of "$id")"
    echo "$((x - left)) $((y - top))"
}

# placed ID "X Y" [PIXELS]: the frame within 1 px (or PIXELS) of there, once
# the manager is done moving it.
placed() {
    local x y ex ey tolerance=${3:-1}
    read -r ex ey <<<"$2"
    for _ in $(seq "${PATIENCE:-30}"); do
        read -r x y <<<"$(frame_origin "$1")"
        ((x - ex <= tolerance && ex - x <= tolerance && y - ey <= tolerance && ey - y <= tolerance)) && return 0
        sleep 0.1
    done
    DETAIL="found at ($x, $y)"
    return 1
}

# type_keys ID KEYS...: with time for a menu to open between keys. Bounded:
# a manager that never activates the window would hold --sync forever.
type_keys() {
    local id=$1 key
    shift
    timeout 2 xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
    for key in "$@"; do
        xdotool key --clearmodifiers "$key"
        sleep 0.3
    done
}

# switch_to TITLE ID KEYS...: the keys typed in window ID open a window
# titled TITLE in its place; prints its id.
switch_to() {
    local title=$1 from=$2 id
    shift 2
    type_keys "$from" "$@"
    id=$(wait_window "$title") || return 1
    wait_gone "$from" || fail "$* left the window it was typed in open"
    echo "$id"
}
