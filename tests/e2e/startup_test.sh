#!/usr/bin/env bash
# The real programs from a run directory: the banner, the window, Escape, a missing config.ini.
source "$(dirname "$0")/lib.sh"
# A second in the normal build; the sanitizer build checks its leaks at exit, which takes longer.
QUIT_LIMIT=1.0
[ -n "${TRELVIK_SANITIZED:-}" ] && QUIT_LIMIT=10.0

for program in trelvik trelvik-solo; do
    if [ "$program" = trelvik ]; then banner="Trelvik  Build Jun 24 2004 18:54:09"; else banner="Trelvik  Build Jun 24 2004 15:49:26"; fi
    make_run_dir "$(default_config 640 480)"
    check "$program opens its window" start_program $program
    sleep 1
    check "$program window is 640x480" bash -c "xwininfo -id $WID | grep -q 'Width: 640' && xwininfo -id $WID | grep -q 'Height: 480'"
    check "$program window caption is the banner" bash -c "xprop -id $WID WM_NAME | grep -qF '\"$banner\"'"
    screenshot "startup-$program"
    send_key Escape
    check "$program ends after Escape" wait_exit 10
    check "$program ends within $QUIT_LIMIT s of Escape (took ${ELAPSED:-?}s)" awk -v t="${ELAPSED:-99}" -v limit="$QUIT_LIMIT" 'BEGIN { exit !(t < limit) }'
    check "$program exits with status 0" [ "${EXIT_STATUS:-x}" = 0 ]
    check "$program prints the banner as its first line" [ "$(head -n 1 "$WORK/out")" = "$banner" ]

    rm -f "$WORK/run/config.ini"
    (cd "$WORK/run" && "$BUILD_RUN_DIR/$program" >"$WORK/out" 2>"$WORK/err")
    status=$?
    check "$program without config.ini exits with status 2" [ $status = 2 ]
    check "$program without config.ini says why" [ "$(cat "$WORK/err")" = "$(printf 'Error: Failed to open settings file: config.ini\nError: Cannot read settings file: config.ini\nQuitting!')" ]
    check "$program prints its banner before the error" [ "$(cat "$WORK/out")" = "$banner" ]
done

# A window that cannot be made ends the program with a clear message instead of running on.
make_run_dir "$(default_config 640 480)"
(cd "$WORK/run" && DISPLAY=:9999 SDL_VIDEODRIVER=x11 timeout 10 "$BUILD_RUN_DIR/trelvik" >"$WORK/out" 2>"$WORK/err")
status=$?
check "without a display the program exits with status 2" [ $status = 2 ]
check "without a display the program says why" grep -q "^Error: Failed to initialise SDL_INIT_VIDEO" "$WORK/err"

finish
