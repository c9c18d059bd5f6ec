#!/usr/bin/env bash
# A level that stops at once with the boss in front of the ships: the boss line shows, and the
# ships, made invincible, shoot the boss down: "A WINNER IS YOU!!". The boss starts with 400 energy
# instead of 2500, which would take a busy machine a minute and a half to shoot away per program.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/game_lib.sh"

LEVEL='LEVEL: 1 LAIR
CAMERASTOP: 0
BOSS1 90 0 -100
BOSSENERGY 400 0 0'

for program in trelvik trelvik-solo; do
    keys_for $program
    make_game_dir "$LEVEL"
    check "$program opens its window" start_program $program
    sleep 4 # the first pass of play reaches the camera stop
    screenshot "boss-$program-0-boss"
    check "$program: the boss line \"BOSS:  400\" stands at (508, 32)" placed "boss-$program-0-boss" 508 32 10 red
    check "$program: not won yet" lacks "boss-$program-0-boss" "$R_WON" pink
    send_key q
    hold_keys $FIRE $FIRE2
    check "$program: the boss is shot down" wait_for "boss-$program-1-won" "$R_WON" pink 60
    release_keys $FIRE $FIRE2
    check "$program: \"A WINNER IS YOU!!\" stands at (218, 240)" placed "boss-$program-1-won" 218 240 17 pink
    check "$program: the boss line is gone once won" lacks "boss-$program-1-won" "$R_BOSS" red
    end_with_escape $program
    check "$program reports nothing on standard error" [ -z "$(errors)" ]
done

finish
