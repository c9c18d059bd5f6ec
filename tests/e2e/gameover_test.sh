#!/usr/bin/env bash
# A level of enemies lying in wait on the ships' paths: every life is lost, "GAME OVER" shows,
# and Space starts a new game. Then the same ambush as the second level of a campaign: lost there,
# Return begins the second level again.
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

# A first level whose boss falls to the first shot, then the ambush, named so that its name on the
# HUD cannot be the first level's.
keys_for trelvik
make_game_dir 'LEVEL: 1 LAIR
CAMERASTOP: 0
BOSS1 90 0 -100
BOSSENERGY 1 0 0'
printf '%s\n' "${LEVEL/AMBUSH/AMBUSHED}" | sed 's/^LEVEL: 1/LEVEL: 2/' >"$WORK/run/data/level2.map"
check "trelvik opens its window for the campaign" start_program trelvik
hold_keys $FIRE
check "trelvik: the first level's boss falls" wait_for "continue-0-won" "$R_WON" pink 30
release_keys $FIRE
send_key space
check "trelvik: lost in the second level" wait_for "continue-1-lost" "$R_HINT" pink 40
sleep 3
screenshot "continue-2-waiting"
check "trelvik: \"Press <RETURN> to continue at level 2.\" stands at (92, 304)" placed "continue-2-waiting" 92 304 38 pink
send_key Return
sleep 0.5
screenshot "continue-3-again"
check "trelvik: Return leaves the game-over screen" lacks "continue-3-again" "$R_OVER" pink 30
# The level line sits just above the name, so the name is looked for in its own row only.
name_box=$(pix bbox "$SHOT_DIR/continue-3-again.png" 232 30 176 18 green)
check "trelvik: and the second level's name, \"AMBUSHED\", stands at (272, 32): $name_box" \
    python3 -c 'import sys; x0, y0, x1, y1 = map(int, sys.argv[1:]); sys.exit(not (272 <= x0 <= 278 and 32 <= y0 <= 36 and x1 < 372))' $name_box
end_with_escape trelvik
check "trelvik reports nothing on standard error" [ -z "$(errors)" ]

finish
