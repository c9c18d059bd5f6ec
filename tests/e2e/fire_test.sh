#!/usr/bin/env bash
# An empty level with quiet music: a held fire key puts shots on the screen and the shot sound
# into the sound output; Q shows the invincibility line, F2 the frame rate.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/game_lib.sh"

LEVEL='LEVEL: 1 OPENSKY
CAMERASTOP: 100000'

for program in trelvik trelvik-solo; do
    keys_for $program
    make_game_dir "$LEVEL"
    quiet_sound phenomenon.wav
    quiet_sound explos.wav
    quiet_sound cash.wav
    audio="$WORK/audio-$program.raw"
    rm -f "$audio"
    export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio"
    check "$program opens its window" start_program $program
    export SDL_AUDIODRIVER=dummy
    unset SDL_DISKAUDIOFILE
    sleep 4 # scrolling by now
    screenshot "fire-$program-0-before"
    check "$program: silence before anything is fired" [ "$(audible "$audio")" = 0 ]
    check "$program: the sound output is being written" [ -s "$audio" ]

    # Over an empty level only the shots change the picture: sky and ground move with the camera.
    # A shot crosses the field in under a third of a second, so a screenshot may fall between
    # two; up to four are taken while the key is held.
    hold_keys $FIRE
    changed=0
    for attempt in 1 2 3 4; do
        sleep 0.3
        screenshot "fire-$program-1-firing"
        changed=$(pix diff "$SHOT_DIR/fire-$program-0-before.png" "$SHOT_DIR/fire-$program-1-firing.png" 340 60 300 360)
        [ "$changed" -gt 20 ] && break
    done
    release_keys $FIRE
    sleep 0.6
    echo "  ($changed pixels changed right of the ships)"
    check "$program: a held fire key puts shots on the screen" [ "$changed" -gt 20 ]
    heard=$(audible "$audio")
    echo "  ($heard samples of shot sound)"
    check "$program: the shot sound is played" [ "$heard" -gt 1000 ]

    check "$program: no invincibility line at first" lacks "fire-$program-0-before" "$R_MUTANT" red
    check "$program: no frame-rate line at first" lacks "fire-$program-0-before" "$R_FPS" yellow
    send_key q
    send_key F2
    sleep 0.5
    screenshot "fire-$program-2-mutant-fps"
    check "$program: Q shows \"I'M AN ATOMIC MUTANT!\"" shows "fire-$program-2-mutant-fps" "$R_MUTANT" red 300
    check "$program: the invincibility line stands at (376, 448)" placed "fire-$program-2-mutant-fps" 376 448 21 red
    check "$program: F2 shows the frame rate" shows "fire-$program-2-mutant-fps" "$R_FPS" yellow 60
    check "$program: the frame-rate line stands at (12, 448)" placed "fire-$program-2-mutant-fps" 12 448 10 yellow
    send_key q
    sleep 0.5
    screenshot "fire-$program-3-mortal"
    check "$program: a second Q takes the line away" lacks "fire-$program-3-mortal" "$R_MUTANT" red
    end_with_escape $program
    check "$program reports nothing on standard error" [ -z "$(errors)" ]
done

finish
