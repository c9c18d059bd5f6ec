#!/usr/bin/env bash
# The two-player game on keys of the players' own choosing (config.ini), with a clash and a name
# that is no key reported, and the pause: Pause stops the picture and the sound and shows "GAME
# PAUSED", Backspace resumes. Only the shot sound is audible, so the output tells when shots are
# fired.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/game_lib.sh"

LEVEL='LEVEL: 1 OPENSKY
CAMERASTOP: 100000'
R_PAUSED="254 240 132 16" # "GAME PAUSED" at (320 - 66, 240), pink

make_game_dir "$LEVEL"
for sound in phenomenon.wav explos.wav cash.wav; do quiet_sound $sound; done
# The first player on I J K L and H, the second on W and S and 1; the second's rockets would take
# the first's I and its left a key that does not exist: both keep their defaults (X, D).
cat >>"$WORK/run/config.ini" <<'EOF'
player1_up=i player1_down=k player1_left=j player1_right=l player1_bullets=h
player2_up=w player2_down=s player2_bullets=1
player2_rockets=I player2_left=nosuchkey
EOF
audio="$WORK/audio.raw"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio"
check "trelvik opens its window" start_program trelvik
export SDL_AUDIODRIVER=dummy
unset SDL_DISKAUDIOFILE
sleep 4 # scrolling by now
check "the clash is reported in one line" grep -qx \
    "Error: Setting player2_rockets=i: i is already the key of player1_up; player2_rockets stays x" "$WORK/err"
check "the name that is no key is reported in one line" grep -qx \
    "Error: Setting player2_left=nosuchkey: no key has that name; player2_left stays d" "$WORK/err"
check "nothing else is reported" [ "$(errors | wc -l)" = 2 ]

# Over an empty level only the ships and their shots change the picture.
moves() { # moves name key...: pixels changed by holding the keys for a moment
    screenshot "keys-$1-before"
    hold_keys "${@:2}"
    sleep 0.3
    release_keys "${@:2}"
    sleep 0.2
    screenshot "keys-$1-after"
    pix diff "$SHOT_DIR/keys-$1-before.png" "$SHOT_DIR/keys-$1-after.png"
}
check "the first player's old key does nothing" [ "$(moves old-up Up)" -lt 20 ]
check "the first ship flies on I" [ "$(moves p1-up i)" -gt 200 ]
check "the first ship flies on K" [ "$(moves p1-down k)" -gt 200 ]
check "the second ship flies on W" [ "$(moves p2-up w)" -gt 200 ]
check "the second ship flies on S" [ "$(moves p2-down s)" -gt 200 ]
check "the second ship keeps D, whose new name was no key" [ "$(moves p2-left d)" -gt 200 ]

from=$(stat -c %s "$audio")
hold_keys h
sleep 0.8
check "the first ship fires on H" [ "$(audible "$audio" "$from")" -gt 1000 ]

# Paused with the fire key held: no shot, no movement, the line shows until Backspace.
send_key Pause
sleep 1.5 # what was mixed before the pause has been written
screenshot "pause-1"
from=$(stat -c %s "$audio")
sleep 2
screenshot "pause-2"
check "paused: the picture stands still" [ "$(pix diff "$SHOT_DIR/pause-1.png" "$SHOT_DIR/pause-2.png")" = 0 ]
check "paused: \"GAME PAUSED\" shows" shows pause-2 "$R_PAUSED" pink 100
check "paused: no sound" [ "$(audible "$audio" "$from")" = 0 ]
send_key BackSpace
sleep 0.8
screenshot "pause-3-resumed"
check "Backspace resumes: the line goes" lacks pause-3-resumed "$R_PAUSED" pink
check "Backspace resumes: the held key fires again" [ "$(audible "$audio" "$from")" -gt 1000 ]
release_keys h
end_with_escape trelvik

finish
