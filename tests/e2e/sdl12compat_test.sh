#!/usr/bin/env bash
# The game on sdl12-compat, the SDL 1.2 interface on SDL 2 that newer Debian and Ubuntu releases
# install as their libSDL-1.2: the start test (window, size, caption, keys, HUD, Escape) runs again
# with the loader pointed at it, and F11 pressed twice gives back the whole picture.
# Skips (status 77) where the library is missing: Debian's package libsdl1.2-compat installs it
# beside the classic one; TRELVIK_SDL12COMPAT_DIR names another folder holding libSDL-1.2.so.0.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/game_lib.sh"
COMPAT_DIR=${TRELVIK_SDL12COMPAT_DIR:-/usr/lib/$(gcc -print-multiarch 2>/dev/null || echo x86_64-linux-gnu)/sdl12-compat}
if [ ! -e "$COMPAT_DIR/libSDL-1.2.so.0" ]; then
    echo "skipped: no sdl12-compat in $COMPAT_DIR (Debian package libsdl1.2-compat)"
    exit 77
fi
export LD_LIBRARY_PATH="$COMPAT_DIR${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"

# The other tests, unchanged, on this display with their screenshots in a folder of their own.
run_test() { # run_test script
    bash "$HERE/$1" "$BUILD_RUN_DIR" "$SHOT_DIR/sdl12compat" >"$WORK/$1.log" 2>&1
    local status=$?
    grep -v '^ok: ' "$WORK/$1.log" | sed 's/^/  /'
    return $status
}
check "the start test passes on sdl12-compat" run_test startup_test.sh

# Over an empty level the HUD's lines stand on the plain sky.
for program in trelvik trelvik-solo; do
    make_game_dir 'LEVEL: 1 OPENSKY
CAMERASTOP: 100000'
    check "$program opens its window" start_program $program
    check "$program runs on sdl12-compat's library" grep -q "$COMPAT_DIR/libSDL-1.2.so" "/proc/$APP_PID/maps"
    send_key q F2
    sleep 1
    screenshot "sdl12compat-$program-0-windowed"
    check "$program shows the invincibility line" placed "sdl12compat-$program-0-windowed" 376 448 21 red
    send_key F11
    sleep 1
    send_key F11
    sleep 1
    screenshot "sdl12compat-$program-1-back"
    check "$program back from full screen shows the invincibility line where it was" \
        placed "sdl12compat-$program-1-back" 376 448 21 red
    check "$program back from full screen shows the frame rate where it was" \
        placed "sdl12compat-$program-1-back" 12 448 10 yellow
    check "$program back from full screen has its 640x480 window" [ "$(window_size)" = "640 480" ]
    end_with_escape $program
done

finish
