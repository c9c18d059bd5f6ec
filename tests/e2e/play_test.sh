#!/usr/bin/env bash
# trelvik-check --play on short runs: the same seed flies the same run, a level without enemies is
# won by every pilot, a crowded level is won less often than the shipped one, and a broken level
# is reported as the checker reports it and not flown.
source "$(dirname "$0")/lib.sh"
CHECK=$(cd "$BUILD_RUN_DIR" && pwd)/trelvik-check

# A run directory whose level is the shipped one passed through a filter.
level_dir() { # level_dir name 'awk program'
    mkdir -p "$WORK/$1"
    cp "$BUILD_RUN_DIR/config.ini" "$WORK/$1/"
    cp -r "$BUILD_RUN_DIR/data" "$WORK/$1/"
    awk "$2" "$BUILD_RUN_DIR/data/level1.map" >"$WORK/$1/data/level1.map"
}

wins() { # wins file.csv: the runs won
    awk -F, 'NR > 1 && $5 == 1' "$1" | wc -l
}

# ---- the same seed gives the same run, byte for byte, whatever ran before it ----
(cd "$BUILD_RUN_DIR" && "$CHECK" --levels 1 --play=2 --pilots steady,expert --csv "$WORK/a.csv" >"$WORK/out" 2>&1)
check "--play on the shipped level succeeds" [ $? = 0 ]
check "the CSV names its columns" grep -q '^players,pilot,seed,fps,won,lives_lost,score,seconds,boss_seconds' \
    <(sed 's/boss_at,//' "$WORK/a.csv")
check "one row per run: 2 seeds x 2 pilots x 1 and 2 players" [ "$(($(wc -l <"$WORK/a.csv") - 1))" = 8 ]
(cd "$BUILD_RUN_DIR" && "$CHECK" --levels 1 --play=2 --pilots steady,expert --csv "$WORK/b.csv" >/dev/null 2>&1)
check "a second flight of the same seeds writes the same bytes" cmp -s "$WORK/a.csv" "$WORK/b.csv"
(cd "$BUILD_RUN_DIR" && "$CHECK" --levels 1 --play=1 --seed 2 --pilots expert --csv "$WORK/c.csv" >/dev/null 2>&1)
check "seed 2 flown alone gives the rows it gave after seed 1" \
    [ "$(grep ',expert,2,' "$WORK/a.csv")" = "$(grep ',expert,2,' "$WORK/c.csv")" ]

# ---- a level of its own, and the campaign with how far each run got ----
(cd "$BUILD_RUN_DIR" && "$CHECK" --play=1 --levels 2,campaign --players 2 --pilots expert --csv "$WORK/d.csv" \
    >"$WORK/out" 2>&1)
check "--levels 2,campaign: a row for level 2 and one for the campaign" \
    [ "$(awk -F, 'NR > 1 { print $12 }' "$WORK/d.csv" | tr '\n' ' ')" = "2 campaign " ]
check "the campaign's row says the level it ended in" \
    awk -F, 'NR > 1 && $12 == "campaign" { exit !($13 >= 1 && $13 <= 5) }' "$WORK/d.csv"

# ---- without enemies every pilot wins; only the boss shoots ----
# A lone novice does not dodge shots: with three lives the boss's shots end its game.
level_dir empty '$1 != "ENEMY1" && $1 != "ENEMY2"'
"$CHECK" --levels 1 --play=2 --csv "$WORK/empty.csv" "$WORK/empty" >"$WORK/out" 2>&1
check "a level without enemies: every run won but the lone novice's" \
    [ "$(awk -F, 'NR > 1 && !($1 == 1 && $2 == "novice") && $5 != 1' "$WORK/empty.csv" | wc -l)" = 0 ]
check "a level without enemies: 10 such runs" \
    [ "$(awk -F, 'NR > 1 && !($1 == 1 && $2 == "novice")' "$WORK/empty.csv" | wc -l)" = 10 ]

# ---- three times the enemies: steady pilots win less often ----
level_dir crowded '{ print } $1 == "ENEMY1" || $1 == "ENEMY2" { print $1, $2 + 20, $3 + 25, $4; print $1, $2 + 40, $3 - 25, $4 }'
"$CHECK" --levels 1 --play=4 --players 2 --pilots steady --csv "$WORK/shipped.csv" "$BUILD_RUN_DIR" >/dev/null 2>&1
"$CHECK" --levels 1 --play=4 --players 2 --pilots steady --csv "$WORK/crowded.csv" "$WORK/crowded" >/dev/null 2>&1
check "the crowded level is won less often ($(wins "$WORK/crowded.csv") of 4) than the shipped one ($(wins "$WORK/shipped.csv") of 4)" \
    [ "$(wins "$WORK/crowded.csv")" -lt "$(wins "$WORK/shipped.csv")" ]

# ---- a broken level is not flown ----
level_dir broken 'NR == 5 { print "ENEMY1 12 x -100"; next } { print }'
"$CHECK" --levels 1 --play=1 --csv "$WORK/broken.csv" "$WORK/broken" >"$WORK/out" 2>&1
check "a broken level: exit status 1" [ $? = 1 ]
check "a broken level: the checker's line for it" grep -q '^data/level1.map:5:[0-9]*: error: ' "$WORK/out"
check "a broken level: nothing flown, no CSV" [ ! -e "$WORK/broken.csv" ]

finish
