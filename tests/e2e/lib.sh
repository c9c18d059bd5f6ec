# Shared helpers of the end-to-end tests: a private run directory, the program started in it,
# its window found, keys sent from outside, screenshots taken. Sourced by each *_test.sh.
# Arguments of every test: <run directory of the build> <screenshot folder>.
# Every test runs on a virtual display of its own, so no test can find another's window, and
# finds its game's window by the game's process.
set -u
if [ -z "${TRELVIK_E2E_DISPLAY:-}" ]; then
    TRELVIK_E2E_DISPLAY=1 exec "$(dirname "${BASH_SOURCE[0]}")/../../tools/headless.sh" bash "$0" "$@"
fi
BUILD_RUN_DIR=$1
SHOT_DIR=$2
mkdir -p "$SHOT_DIR"
WORK=$(mktemp -d)
# The games keep their table of best runs under a data folder of the test's own, never the tester's.
export XDG_DATA_HOME="$WORK/share"
APP_PID=""
WID=""
failures=0
checks=0

cleanup() {
    [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

check() { # check "what" command...
    checks=$((checks + 1))
    if "${@:2}"; then
        echo "ok: $1"
    else
        echo "FAILED: $1"
        failures=$((failures + 1))
    fi
}

finish() {
    echo "$((checks - failures)) passed, $failures failed"
    [ "$failures" -eq 0 ]
    exit $?
}

# A run directory of our own: the build's data and programs, and a config.ini given as text.
make_run_dir() { # make_run_dir "config text"
    mkdir -p "$WORK/run"
    ln -sfn "$BUILD_RUN_DIR/data" "$WORK/run/data"
    [ $# -gt 0 ] && printf '%s\n' "$1" >"$WORK/run/config.ini"
    return 0
}

# The games run at 60 frames a second, as with a display's vsync: uncapped, each took more than a
# core of the two it shares with the other tests and the browser build.
default_config() {
    printf 'useDisplaylists=true\nscreen_width=%s\nscreen_height=%s\nscreen_bpp=24\nfullscreen=false\nmax_fps=60\n' "${1:-640}" "${2:-480}"
}

# Waits up to 20 s for the game started as $APP_PID to show its window and sets WID; fails when
# the program ends first or no window comes.
wait_for_window() {
    WID=""
    for _ in $(seq 1 200); do
        # The caption is set once the window and its GL context are ready.
        WID=$(xdotool search --onlyvisible --pid "$APP_PID" --name "^Trelvik  Build" 2>/dev/null | head -n 1)
        [ -n "$WID" ] && break
        kill -0 "$APP_PID" 2>/dev/null || break
        sleep 0.1
    done
    [ -n "$WID" ]
}

# Every helper that talks to the window fails at once without one: the X tools given an empty
# window id wait for a mouse click that never comes.
have_window() {
    [ -n "$WID" ] && return 0
    echo "no window to $1" >&2
    return 1
}

start_program() { # start_program trelvik|trelvik-solo ; stdout/stderr go to $WORK/out, $WORK/err
    (cd "$WORK/run" && exec "$BUILD_RUN_DIR/$1" >"$WORK/out" 2>"$WORK/err") &
    APP_PID=$!
    wait_for_window
}

# The game listens for keys from the moment its window is made, before the caption is set: a key
# sent once the captioned window shows waits in the game's queue until its first pass reads it,
# however long the loading takes.
send_key() { # send_key keysym...
    have_window "send keys to" || return 1
    xdotool key --window "$WID" "$@" 2>/dev/null
    return 0
}

# Asks the window to close as a window manager's close button does (WM_DELETE_WINDOW).
close_window() {
    have_window "close" || return 1
    /usr/bin/python3 - "$WID" <<'EOF_PY'
import sys
from Xlib import X, display, protocol
d = display.Display()
window = d.create_resource_object("window", int(sys.argv[1]))
protocols, delete = d.intern_atom("WM_PROTOCOLS"), d.intern_atom("WM_DELETE_WINDOW")
window.send_event(protocol.event.ClientMessage(window=window, client_type=protocols,
                                               data=(32, [delete, X.CurrentTime, 0, 0, 0])))
d.flush()
EOF_PY
}

window_size() { # window_size: "W H" of the game's window
    have_window "measure" || return 1
    xwininfo -id "$WID" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w, h }'
}

# Waits up to $1 seconds for the program to end; sets EXIT_STATUS and ELAPSED (seconds).
wait_exit() {
    local limit=$1 start end
    start=$(date +%s%N)
    end=$start
    EXIT_STATUS=""
    # Timed by the clock: on a busy machine a hundred short sleeps take far longer than a second.
    while [ $((end - start)) -le $((limit * 1000000000)) ]; do
        if ! kill -0 "$APP_PID" 2>/dev/null; then
            wait "$APP_PID"
            EXIT_STATUS=$?
            end=$(date +%s%N)
            break
        fi
        sleep 0.01
        end=$(date +%s%N)
    done
    ELAPSED=$(awk -v ns=$((end - start)) 'BEGIN { printf "%.2f", ns / 1e9 }')
    [ -n "$EXIT_STATUS" ] && APP_PID=""
    [ -n "$EXIT_STATUS" ]
}

screenshot() { # screenshot name
    have_window "take a screenshot of" || return 1
    # import falls back to asking for a mouse click when the window is gone: never let it wait.
    xwininfo -id "$WID" >/dev/null 2>&1 && timeout 20 import -window "$WID" "$SHOT_DIR/$1.png" 2>/dev/null
}
