#!/usr/bin/env bash
# One gamepad plugged into the real program (a stand-in preloaded in place of SDL's joystick
# functions, played through a file): it is named at start, its stick flies a ship, its first
# button fires, the keyboard keeps working beside it, pulling it out lets go of the held fire
# button, plugging it back in needs no restart, and after a game over its third button starts a
# new game. Only the shot sound is left audible, so the sound output tells when shots are fired.
# The game looks for pads again only when its device directory changes: here a directory of the
# test's own, where plugging makes a device file and unplugging removes it.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/game_lib.sh"

STAND_IN=${TRELVIK_STAND_IN_PAD:-}
if [ ! -f "$STAND_IN" ]; then
    echo "FAILED: no stand-in pad library (TRELVIK_STAND_IN_PAD=$STAND_IN)"
    exit 1
fi

# An empty sky for the first forty-eight seconds of scrolling (the pad checks take about twenty on
# a quiet machine, and up to thirty-six beside another test and the browser build on a busy one),
# then walls of enemies from the top of the field to the bottom, one every four seconds, until
# every life is lost.
LEVEL='LEVEL: 1 PADLAND
CAMERASTOP: 100000'
for x in 2400 2600 2800 3000 3200 3400 3600 3800; do
    for y in -75 -60 -45 -30 -15 0 15 30 45 60 75; do
        LEVEL="$LEVEL
ENEMY1 $x $y -100"
    done
done

PAD_FILE=""
DEVICES=""
pad() {
    echo "1 $*" >>"$PAD_FILE"
    case $1 in
    unplug) rm -f "$DEVICES/event0" ;;
    plug) : >"$DEVICES/event0" ;;
    esac
}
size_of() { stat -c %s "$1"; }
# Whether a shot is heard in the sound output after byte $2; the output may trail a busy machine's
# game by a second or more, so it is given three seconds to come.
shot_heard() { # shot_heard raw-file offset
    local n
    for _ in $(seq 1 10); do
        n=$(audible "$1" "$2")
        [ "$n" -gt 1000 ] && return 0
        sleep 0.3
    done
    return 1
}

for program in trelvik trelvik-solo; do
    keys_for $program
    if [ $program = trelvik ]; then player=two; else player=one; fi
    make_game_dir "$LEVEL"
    for sound in phenomenon.wav explos.wav cash.wav; do quiet_sound $sound; done
    audio="$WORK/audio-$program.raw"
    PAD_FILE="$WORK/pad-$program"
    rm -f "$audio"
    : >"$PAD_FILE"
    DEVICES="$WORK/devices-$program"
    mkdir -p "$DEVICES"
    : >"$DEVICES/event0"
    (cd "$WORK/run" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio" STAND_IN_PADS="Stand-in Pad" \
        STAND_IN_PAD_FILE="$PAD_FILE" TRELVIK_INPUT_DIR="$DEVICES" LD_PRELOAD="$STAND_IN" \
        ASAN_OPTIONS="verify_asan_link_order=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}" \
        exec "$BUILD_RUN_DIR/$program" >"$WORK/out" 2>"$WORK/err") &
    APP_PID=$!
    check "$program opens its window" wait_for_window
    sleep 4 # scrolling by now
    check "$program names the pad and its player" grep -qx "Gamepad 1: Stand-in Pad (player $player)" "$WORK/out"

    screenshot "pad-$program-0-still"
    pad axis 1 32767
    sleep 0.3
    pad axis 1 0
    sleep 0.3
    screenshot "pad-$program-1-dived"
    moved=$(pix diff "$SHOT_DIR/pad-$program-0-still.png" "$SHOT_DIR/pad-$program-1-dived.png")
    echo "  ($moved pixels changed)"
    check "$program: the stick flies a ship" [ "$moved" -gt 200 ]
    if [ $program = trelvik ]; then
        # The first ship stands a third of the way down the screen, the second below it.
        check "trelvik: a lone pad flies the second ship, not the first" \
            [ "$(pix diff "$SHOT_DIR/pad-$program-0-still.png" "$SHOT_DIR/pad-$program-1-dived.png" 260 130 120 40)" -lt 20 ]
    fi

    from=$(size_of "$audio")
    pad button 0 1
    sleep 0.8
    pad button 0 0
    check "$program: the first button fires" shot_heard "$audio" "$from"
    sleep 1.5
    from=$(size_of "$audio")
    sleep 1
    check "$program: and stops when let go" [ "$(audible "$audio" "$from")" = 0 ]

    from=$(size_of "$audio")
    hold_keys $FIRE
    sleep 0.8
    release_keys $FIRE
    check "$program: the keyboard fires beside the pad" shot_heard "$audio" "$from"

    # Pulled out with the fire button held: the game notices within a few seconds and lets go.
    pad button 0 1
    sleep 0.5
    pad unplug
    pad button 0 0 # never reported: the pad is gone
    for _ in $(seq 1 50); do
        grep -qx "Gamepad 1 unplugged" "$WORK/out" && break
        sleep 0.1
    done
    check "$program says the pad is gone" grep -qx "Gamepad 1 unplugged" "$WORK/out"
    sleep 1.5
    from=$(size_of "$audio")
    sleep 1
    check "$program: an unplugged pad's fire button is let go" [ "$(audible "$audio" "$from")" = 0 ]

    pad plug
    sleep 2.5
    check "$program finds the pad plugged back in" \
        [ "$(grep -cx "Gamepad 1: Stand-in Pad (player $player)" "$WORK/out")" = 2 ]
    from=$(size_of "$audio")
    pad button 0 1
    sleep 0.8
    pad button 0 0
    check "$program: the pad fires again without a restart" shot_heard "$audio" "$from"

    check "$program: the game is lost" wait_for "pad-$program-2-lost" "$R_HINT" pink 90
    sleep 3 # the last explosion burns out
    pad button 2 1
    pad button 2 0
    sleep 0.5
    screenshot "pad-$program-3-new-game"
    check "$program: the pad's third button starts a new game" lacks "pad-$program-3-new-game" "$R_OVER" pink 30
    end_with_escape $program
    check "$program reports nothing on standard error" [ -z "$(errors)" ]
done

finish
