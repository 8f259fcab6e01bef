# Shared by the end-to-end tests: an X server with a window manager (WM,
# openbox by default), the program under test, and checks. All stopped by pid.
set -euo pipefail

MIREBO=${1:?usage: $0 path/to/mirebo}
# MONITORS: RandR monitors WxH+X+Y, comma-separated, the primary marked '*'.
SCREEN_SIZE=${SCREEN_SIZE:-1920x1080} MONITORS=${MONITORS:-} WM=${WM:-openbox}
export LANG=${TEST_LANG:-ja_JP.UTF-8} LC_ALL= LC_TIME=
unset QT_QPA_PLATFORM WAYLAND_DISPLAY XDG_SESSION_TYPE
export DBUS_SESSION_BUS_ADDRESS=disabled: # nothing on screen may hang on a bus no test started
scratch=$(mktemp -d)
touch "$scratch/begun"

# Xvfb has no GPU: compositing is off where a manager lets it be (kwin_x11 through KWIN_COMPOSE),
# mutter composites in software. The Wayland compositors run headless, their XWayland as the X server.
declare -A WM_COMMAND=([openbox]="openbox --sm-disable" [xfwm4]="xfwm4 --compositor=off --sm-client-disable"
    [icewm]=icewm [fluxbox]=fluxbox [kwin_x11]=kwin_x11 [mutter]="mutter --x11 --replace --sm-disable"
    [weston]="weston --backend=headless-backend.so --xwayland --idle-time=0"
    [mutter_wayland]="mutter --wayland --headless" [kwin_wayland]="kwin_wayland --virtual --xwayland")

# Programs on a faked clock get libfaketime preloaded directly (LD_PRELOAD and FAKETIME),
# never through the faketime wrapper: the wrapper keeps a semaphore and shared memory in
# /dev/shm named for its process id, leaves them when it is killed, and cannot start where
# such a leftover has its id. The library copes with leftovers, but leaves its own pair when
# its process is killed or replaced by exec, and so does every process it starts after an
# exec (wine's script execs, and wineserver -k kills what Wine started): forget_faked removes
# the pairs made since this run began whose processes have ended.
libfaketime=$(dpkg -L "libfaketime:$(dpkg --print-architecture)" | grep -m 1 '/libfaketime\.so\.1$')
forget_faked() {
    local pair
    for pair in $(find /dev/shm -maxdepth 1 -user "$(id -u)" -newer "$scratch/begun" -name '*faketime_s[eh]m_*'); do
        [ -e "/proc/${pair##*_}" ] || rm -f "$pair"
    done
}
# faked FAKETIME COMMAND...: COMMAND on that clock (as libfaketime reads FAKETIME), beside leftovers.
faked() { beside_leftovers env LD_PRELOAD="$libfaketime" FAKETIME="$1" "${@:2}"; }
# beside_leftovers COMMAND...: COMMAND to its end, beside empty leftovers of a killed faked
# program made for the next 40 process ids (and removed after).
beside_leftovers() {
    local last p status=0 made=()
    read -r last </proc/sys/kernel/ns_last_pid
    set -C # none made over one that is there; and no process started meanwhile, to take the ids
    for ((p = last + 1; p <= last + 40; p++)); do
        { [ ! -e "/dev/shm/sem.faketime_sem_$p" ] && true >"/dev/shm/faketime_shm_$p" && true >"/dev/shm/sem.faketime_sem_$p" && made+=("$p"); } 2>/dev/null || true
    done
    set +C
    "$@" & p=$!
    wait "$p" || status=$?
    for p in "${made[@]}"; do rm -f "/dev/shm/sem.faketime_sem_$p" "/dev/shm/faketime_shm_$p"; done
    return $status
}

# Ended, or a zombie waiting to be reaped; else says which still runs.
ended() { local p; for p; do [[ $(ps -o stat= -p "$p") != [^Z]* ]] || { echo "process $p still runs" && return 1; }; done; }

pids=()
cleanup() {
    if ((${#pids[@]})); then { kill "${pids[@]}"; wait "${pids[@]}"; } 2>/dev/null || true; fi
    forget_faked
    pids=() APP_PID= WM_PID= DBUS_SESSION_BUS_ADDRESS=disabled:
}
trap 'cleanup; rm -rf "$scratch"' EXIT

# alive NAME PID: whether PID still runs, or how it ended.
alive() {
    [ -n "$2" ] || return 0
    if kill -0 "$2" 2>/dev/null; then echo "$1 is running"; else wait "$2" 2>/dev/null; echo "$1 has ended, exit status $?"; fi
}

# What tells a slow start from a program that failed: whether the program and the
# manager still run, every named window, mapped or not, and the tails of the logs.
fail() {
    local w name
    echo "FAIL: ${ROW:+$ROW: }$*" >&2
    {
        alive "the program" "${APP_PID:-}"; alive "$WM" "${WM_PID:-}"
        echo "--- named windows on ${DISPLAY:-}:"
        xwininfo -root -tree 2>&1 | sed -n 's/^ *\(0x[0-9a-f]*\) \(".*"\): .*/\1 \2/p; /^xwininfo: error/p' | while read -r w name; do
            echo "$w $name $([[ $w == 0x* ]] && xwininfo -id "$w" | grep -E 'Map State|geometry' | tr -s ' \n' ' ')"
        done
        tail -n 20 "$scratch/app.log" "$scratch/wm.log" "$scratch/x.log"
    } >&2 2>/dev/null || true
    exit 1
}
pass() { echo "ok: $*"; }

# each_row FUNCTION < ROWS: FUNCTION with the fields of each row (split at "|"), each row in a
# subshell of its own: a failure names the row (ROW, its first field) and ends that row only,
# and the next row runs all the same. Fails after the last row if any row failed.
each_row() {
    local line failed= rows=0 status fields
    while IFS= read -r line && IFS='|' read -r -a fields <<<"$line|"; do # the "|" keeps an empty last field
        set +e
        (ROW=${fields[0]}; set -e; "$1" "${fields[@]}") </dev/null
        status=$? rows=$((rows + 1))
        set -e
        ((status == 0)) || failed+="${failed:+; }${fields[0]}"
    done
    [ -z "$failed" ] || { echo "FAIL: of $rows rows: $failed" >&2 && exit 1; }
}

# until_true SECONDS COMMAND...: COMMAND, tried again every 50 ms until it succeeds or
# SECONDS have passed (0: tried once). A limit in time, not a count of tries, since on a
# loaded machine each try takes longer. When it gives up it says, on stderr, what COMMAND
# printed the last time (SAW).
until_true() {
    local end=$((${EPOCHREALTIME/./} + $1 * 1000000))
    while :; do
        "${@:2}" >"$scratch/saw" 2>&1 && return 0
        ((${EPOCHREALTIME/./} < end)) || break
        sleep 0.05
    done
    SAW=$(tr -s '\n' ' ' <"$scratch/saw")
    (($1 == 0)) || echo "gave up after $1 s: ${*:2}${SAW:+: it last said: $SAW}" >&2
    return 1
}

# Retried: a server or manager that fails to come up on a loaded machine is not what is tested.
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
    dbus-daemon --session --nofork --print-address=3 3>"$scratch/bus" >/dev/null 2>&1 & pids+=($!)
    until_true 30 test -s "$scratch/bus" || return 1
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$scratch/bus")
}

try_start_xvfb() {
    local n
    # A display another test has just given up may still be shutting down.
    for _ in $(seq 50); do n=$((100 + RANDOM % 800)); [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break; done
    # -noreset: RandR monitors would go with the reset when xrandr disconnects.
    Xvfb ":$n" -screen 0 "${SCREEN_SIZE}x24" +extension RANDR -noreset -nolisten tcp >"$scratch/x.log" 2>&1 & pids+=($!)
    export DISPLAY=":$n"
    until_true 30 xdpyinfo
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

wm_announced() { xprop -root _NET_SUPPORTING_WM_CHECK | grep 'window id'; }

# These talk to the desktop's session bus on start and wait for it.
needs_bus() { [[ $WM == kwin* || $WM == mutter* || $WM == xfwm4 ]]; }

try_start_wm() {
    if needs_bus; then session_bus || return 1; fi
    KWIN_COMPOSE=N ${WM_COMMAND[$WM]} >"$scratch/wm.log" 2>&1 & WM_PID=$! pids+=($!)
    until_true 120 wm_announced # kwin takes seconds on a loaded machine
}

# A manager counts as started once it has mapped a window of ours: openbox 3.6 announces
# itself before its event loop runs, and a map request in between waits in its queue until
# another event wakes it (the program's window stayed unmapped), here a root property.
maps_probe() {
    xprop -root -f _MIREBO_PROBE 8s -set _MIREBO_PROBE 1
    visible_named mirebo-probe && xprop -id "$WINDOW" WM_STATE | grep Normal
}
wm_maps_windows() {
    xlogo -title mirebo-probe -geometry 8x8+0+0 >/dev/null 2>&1 &
    local probe=$! status=0
    until_true 60 maps_probe || status=1
    { kill "$probe"; wait "$probe"; } 2>/dev/null || true
    return $status
}

# The program gets WAYLAND_DISPLAY and must choose xcb by itself. weston writes its XWayland
# display in its log; mutter and kwin give it, with mutter's X authority file, to a session
# command, which writes them down. kwin_wayland runs from a plain copy (the installed one
# carries a file capability a container refuses) named as kwin looks for its Qt plug-in.
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
    "${cmd[@]}" >"$scratch/wm.log" 2>&1 & WM_PID=$! pids+=($!)
    if [ "$WM" = weston ]; then
        until_true 60 grep -q 'xserver listening on display' "$scratch/wm.log" || return 1
        export DISPLAY=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$scratch/wm.log" | head -n 1)
    else
        until_true 120 test -s "$scratch/session" || return 1
        read -r SESSION_PID DISPLAY XAUTHORITY <"$scratch/session"
        pids+=($SESSION_PID)
        export DISPLAY XAUTHORITY
    fi
    until_true 120 wm_announced # XWayland may start on the first X client
}

start_app() { "$@" "$MIREBO" >"$scratch/app.log" 2>&1 & APP_PID=$! pids+=($!); }

# named XDOTOOL_SEARCH_ARGS...: the windows found, less frames: mutter 44 and later draw the frames
# in a client of their own, and a frame window carries its client's title.
named() { local w; for w in $(xdotool search "$@"); do xprop -id "$w" _MUTTER_FRAME_FOR | grep -q 'window id' || echo "$w"; done; }
# The first, taken after named has written them all: under pipefail, a head that ends
# early would fail named on its next line.
visible_named() { WINDOW=$(named --onlyvisible "--${2:-name}" "^$1\$") && WINDOW=${WINDOW%%$'\n'*} && [ -n "$WINDOW" ]; }
# wait_window NAME [classname]: prints the id of the visible window with that title (or class).
# PATIENCE, where set, is the seconds of wait_window, placed and type_keys: 0 for a caller that
# expects nothing.
wait_window() { until_true "${PATIENCE:-60}" visible_named "$@" && echo "$WINDOW"; }
map_state() { xwininfo -id "$1" 2>&1 | sed -n 's/.*Map State: //p; s/^xwininfo: error: //p'; }
viewable() { [ "$(map_state "$1")" = IsViewable ]; }
gone() { local state; state=$(map_state "$1"); echo "map state $state"; [ "$state" != IsViewable ]; }
wait_gone() { until_true 30 gone "$1"; }
wait_exit() { until_true 30 ended "$1"; }
# in_front ID: as a user who has just started it sees it: viewable, not minimized, active.
in_front() {
    local state net active
    state=$(xprop -id "$1" WM_STATE 2>&1 | sed -n 's/.*window state: //p')
    net=$(xprop -id "$1" _NET_WM_STATE 2>&1 || true) active=$(xdotool getactivewindow 2>&1 || true)
    echo "map state $(map_state "$1"), WM_STATE $state, $net, active window $active"
    viewable "$1" && [ "$state" = Normal ] && [[ $net != *_NET_WM_STATE_HIDDEN* ]] && [ "$active" = "$1" ]
}
origin_of() { xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}'; }

# frame_origin ID: "X Y" of the frame, from _NET_FRAME_EXTENTS or else the window the client is in.
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

# placed ID "X Y" [PIXELS]: the frame within 1 px (or PIXELS) of there, once the manager is done moving it.
placed() { until_true "${PATIENCE:-30}" near "$@"; }
near() {
    local x y ex ey t=${3:-1}
    read -r ex ey <<<"$2"
    read -r x y <<<"$(frame_origin "$1")"
    DETAIL="found at ($x, $y)"
    echo "$DETAIL"
    ((x - ex <= t && ex - x <= t && y - ey <= t && ey - y <= t))
}

# The program's viewable windows, its menus included.
shown() { xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | sort | tr '\n' ' '; }
shown_changed() { local now; now=$(shown); echo "shown: ${now:-nothing}"; [ "$now" != "$BEFORE" ]; }

# type_keys ID KEYS...: each key once the one before has had its effect on the
# program's windows: a menu opened, a window came or went. PATIENCE=0 for keys
# known not to arrive, or whose effect is another program's. Bounded: a manager
# that never activates the window would hold --sync forever.
type_keys() {
    local key
    timeout 10 xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
    for key in "${@:2}"; do
        BEFORE=$(shown)
        xdotool key --clearmodifiers "$key"
        until_true "${PATIENCE:-20}" shown_changed || true
    done
}

# settled_image ID CROP FILE: the window's picture within CROP, once it shows
# something (more than one colour) and two captures in a row agree.
settled_image() { rm -f "$3" "$3.last"; until_true 30 picture_settled "$@"; }
picture_settled() {
    local colours changed
    cp "$3" "$3.last" 2>/dev/null || true
    import -window "$1" -crop "$2" "$3" && colours=$(identify -format %k "$3") && changed=$(compare -metric AE "$3.last" "$3" null: 2>&1)
    echo "$colours colours, $changed pixels changed since the capture before"
    ((colours > 1)) && [ "$changed" = 0 ]
}

# switch_to TITLE ID KEYS...: the keys typed in window ID open a window titled TITLE in its place; prints its id.
switch_to() {
    local id
    type_keys "${@:2}"
    id=$(wait_window "$1") || return 1
    wait_gone "$2" || fail "${*:3} left the window it was typed in open"
    echo "$id"
}
