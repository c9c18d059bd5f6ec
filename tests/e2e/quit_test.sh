#!/usr/bin/env bash
# Start and quit, again and again, with both cores kept busy: every start of each program, built
# and installed, ends within 5 s of an Escape sent the moment its window shows, or of a request
# to close the window, with status 0. A key pressed while the game is still loading counts.
source "$(dirname "$0")/lib.sh"
make_run_dir "$(default_config)"
PREFIX="$WORK/prefix"
export XDG_DATA_HOME="$WORK/home"
starts=${TRELVIK_QUIT_STARTS:-10}
limit=5
# Under the sanitizers a start and the leak check at exit take several times as long: fewer
# starts, the same checks.
if [ -n "${TRELVIK_SANITIZED:-}" ]; then
    starts=${TRELVIK_QUIT_STARTS:-4}
    limit=20
fi

busy=()
for _ in 1 2; do
    (while :; do :; done) &
    busy+=($!)
done
trap 'kill "${busy[@]}" 2>/dev/null; cleanup' EXIT

check "cmake --install succeeds" bash -c "cmake --install '$BUILD_RUN_DIR/..' --prefix '$PREFIX' >'$WORK/install.log' 2>&1"

launch() { # launch built|installed program
    if [ "$1" = built ]; then
        (cd "$WORK/run" && exec "$BUILD_RUN_DIR/$2" >"$WORK/out" 2>"$WORK/err") &
    else
        (cd / && exec "$PREFIX/games/$2" >"$WORK/out" 2>"$WORK/err") &
    fi
    APP_PID=$!
    wait_for_window
}

for program in trelvik trelvik-solo; do
    ended=0
    for i in $(seq 1 "$starts"); do
        way=built
        [ $((i % 2)) -eq 0 ] && way=installed
        how=Escape
        [ $((i % 5)) -eq 0 ] && how=close
        if ! launch "$way" "$program"; then
            echo "  $program ($way) start $i: no window"
            sed 's/^/    /' "$WORK/err"
            continue
        fi
        if [ "$how" = Escape ]; then send_key Escape; else close_window; fi
        if wait_exit "$limit" && [ "$EXIT_STATUS" = 0 ]; then
            ended=$((ended + 1))
        else
            echo "  $program ($way) start $i: after $how, status ${EXIT_STATUS:-none} in ${ELAPSED}s"
            [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null && wait "$APP_PID" 2>/dev/null
            APP_PID=""
        fi
    done
    check "$program: $ended of $starts starts ended with status 0 within ${limit}s of Escape or a close request" \
        [ "$ended" -eq "$starts" ]
done

finish
