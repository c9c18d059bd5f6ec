#!/usr/bin/env bash
# A level of enemies lying in wait on the ships' paths: every life is lost, "GAME OVER" shows,
# and Space starts a new game. Then the same ambush as the second level of a campaign: lost there,
# the run (the first boss's points) is saved and its initials typed, Return begins the second level
# again, and a game started afterwards shows the run's score as the one to beat.
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
# The win shows for five seconds only, which a busy machine's screenshots may miss: the second
# level's name, which begins where the first's cannot, tells that the boss fell.
hold_keys $FIRE
check "trelvik: the first level's boss falls and the second level begins" wait_for "continue-0-next" "272 32 20 16" green 60
release_keys $FIRE
check "trelvik: lost in the second level" wait_for "continue-1-lost" "$R_HINT" pink 40
sleep 3
screenshot "continue-2-waiting"
check "trelvik: \"Press <RETURN> to continue at level 2.\" stands at (92, 304)" placed_in_row "continue-2-waiting" 92 304 38 pink
# The boss's points make the table: the run is saved and its initials asked for.
check "trelvik: \"NEW BEST RUN! INITIALS: A__\" stands at (158, 336)" placed_in_row "continue-2-waiting" 158 336 27 yellow
send_key k i m
sleep 0.5
screenshot "continue-3-entered"
check "trelvik: three letters typed end the entry" lacks "continue-3-entered" "158 336 324 16" yellow
check "trelvik: the run stands first in the table, marked" shows "continue-3-entered" "56 48 528 16" yellow
send_key Return
sleep 0.5
screenshot "continue-4-again"
check "trelvik: Return leaves the game-over screen" lacks "continue-4-again" "$R_OVER" pink 30
check "trelvik: and the second level's name, \"AMBUSHED\", stands at (272, 32)" placed_in_row "continue-4-again" 272 32 8 green
end_with_escape trelvik
check "trelvik reports nothing on standard error" [ -z "$(errors)" ]

# Started again, the game has the run's score to beat.
check "trelvik opens its window again" start_program trelvik
sleep 1
screenshot "continue-5-best"
check "trelvik: the best score stands under the score at (448, 54)" placed_in_row "continue-5-best" 448 54 15 green
end_with_escape trelvik
check "trelvik reports nothing on standard error the second time" [ -z "$(errors)" ]

finish
