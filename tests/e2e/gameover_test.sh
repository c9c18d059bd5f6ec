#!/usr/bin/env bash
# A level of enemies lying in wait on the ships' paths: every life is lost, "GAME OVER" shows,
# and Space starts a new game.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/game_lib.sh"

# Columns of enemies on the heights of both ships, one column every four seconds of scrolling,
# so that every column meets ships whose shields have run out.
LEVEL='LEVEL: 1 AMBUSH
CAMERASTOP: 100000'
for x in 0 200 400 600 800 1000 1200 1400; do
    LEVEL="$LEVEL
ENEMY1 $x 30 -100
ENEMY1 $x 10 -100
ENEMY1 $x -10 -100"
done

for program in trelvik trelvik-solo; do
    make_game_dir "$LEVEL"
    check "$program opens its window" start_program $program
    check "$program: the game is lost" wait_for "over-$program-0-lost" "$R_HINT" pink 40
    sleep 3 # the last explosion, which grows around the ship, burns out
    screenshot "over-$program-1-waiting"
    check "$program: \"GAME OVER\" stands at (266, 208)" placed "over-$program-1-waiting" 266 208 9 pink
    check "$program: \"Press <SPACE> to restart.\" stands at (170, 272)" placed "over-$program-1-waiting" 170 272 25 pink
    send_key space
    sleep 0.3
    screenshot "over-$program-2-new-game"
    check "$program: Space starts a new game: \"GAME OVER\" is gone" lacks "over-$program-2-new-game" "$R_OVER" pink 30
    check "$program: and so is the restart hint" lacks "over-$program-2-new-game" "$R_HINT" pink 30
    check "$program: and the new game is lost again" wait_for "over-$program-3-lost-again" "$R_HINT" pink 40
    end_with_escape $program
    check "$program reports nothing on standard error" [ -z "$(errors)" ]
done

finish
