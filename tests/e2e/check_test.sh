#!/usr/bin/env bash
# trelvik-check on the build's run directory and on copies of it with one thing damaged per case:
# the exit status, and the one line that names the damage with its file, line and column.
source "$(dirname "$0")/lib.sh"
CHECK=$(cd "$BUILD_RUN_DIR" && pwd)/trelvik-check
CASE=$WORK/case

# A fresh copy of the build's config.ini and data/ in $CASE.
fresh() {
    rm -rf "$CASE"
    mkdir -p "$CASE"
    cp "$BUILD_RUN_DIR/config.ini" "$CASE/"
    cp -r "$BUILD_RUN_DIR/data" "$CASE/"
}

# Runs the checker on $CASE; its output goes to $WORK/report and its status to $STATUS.
run_check() {
    "$CHECK" "$CASE" >"$WORK/report" 2>&1
    STATUS=$?
}

reports() { # reports "exact line"
    grep -qxF -- "$1" "$WORK/report" || { echo "--- report:"; cat "$WORK/report"; return 1; }
}

mentions() { # mentions "start of a line"
    grep -q "^$1" "$WORK/report" || { echo "--- report:"; cat "$WORK/report"; return 1; }
}

# expect_case "what" status "start of the expected line"
expect_case() {
    run_check
    check "$1: exit status $2 (got $STATUS)" [ "$STATUS" = "$2" ]
    check "$1: reports $3" mentions "$3"
}

# Overwrites bytes of a file at an offset with the given printf escapes.
patch_bytes() { # patch_bytes file offset '\xff\xff'
    printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

u16_at() { # u16_at file offset
    od -An -tu2 -j"$2" -N2 "$1" | tr -d ' '
}

# ---- the intact run directory plays ----
fresh
run_check
check "intact data: exit status 0 (got $STATUS)" [ "$STATUS" = 0 ]
check "intact data: no problem at all" reports "trelvik-check: $CASE: 0 errors, 0 warnings: ready to play"
"$CHECK" -h >/dev/null
check "-h prints the usage and succeeds" [ $? = 0 ]
"$CHECK" "$WORK/no/such/dir" >/dev/null 2>&1
check "a directory that cannot be entered gives status 2" [ $? = 2 ]
(cd "$CASE" && "$CHECK" >/dev/null)
check "the current directory is the default" [ $? = 0 ]

# ---- config.ini ----
fresh
rm "$CASE/config.ini"
expect_case "no config.ini" 1 "config.ini: error: cannot be opened"

# Any file the game reads may be a directory: one line each, and the check goes on to the rest.
fresh
for file in config.ini data/level1.map data/Player.ms3d data/hull.png data/shot.wav data/phenomenon.wav; do
    rm "$CASE/$file"
    mkdir "$CASE/$file"
done
run_check
check "directories in place of files: exit status 1 (got $STATUS)" [ "$STATUS" = 1 ]
check "a directory for the settings" reports "config.ini: error: cannot be read (Is a directory); the game ends at start"
check "a directory for the first level" reports \
    "data/level1.map: error: cannot be read (Is a directory); the game reports it and plays the level as empty; it cannot be won"
check "a directory for a model" reports \
    "data/Player.ms3d: error: cannot be read (Is a directory); the game reports it and draws nothing for the first ship"
check "a directory for a texture" mentions "data/hull.png: error: cannot be read (Is a directory); the game reports it and draws"
check "a directory for a sound" reports \
    "data/shot.wav: error: cannot be read (Is a directory); the game reports it and plays no sound for shots"
check "a directory for the music" reports \
    "data/phenomenon.wav: error: cannot be read (Is a directory); the game reports it and plays without music"
check "each directory is one line, and the check goes on to the summary" \
    reports "trelvik-check: $CASE: 6 errors, 0 warnings: not ready to play"

fresh
printf 'useDisplaylists=true\nscreen_width = 640\nscreen_height=480\nscreen_bpp=24\nfullscreen=false\n' >"$CASE/config.ini"
expect_case "blanks around the equals sign" 1 "config.ini: error: no screen_width=<value>"
check "blanks around the equals sign: the word is pointed at" mentions 'config.ini:2:1: warning: "screen_width" sets nothing'

fresh
sed -i 's/^fullscreen=.*/fullscreen=yes/' "$CASE/config.ini"
line=$(grep -n '^fullscreen=' "$CASE/config.ini" | cut -d: -f1)
expect_case "a boolean that is not true or false" 1 "config.ini:$line:1: error: fullscreen=yes is not true or false"

fresh
sed -i 's/^screen_height=.*/screen_height=0/' "$CASE/config.ini"
expect_case "a window height of 0" 1 "config.ini:[0-9]*:1: error: screen_height must be positive, not 0"

fresh
sed -i 's/^screen_bpp=.*/screen_bpp=0x20/' "$CASE/config.ini"
expect_case "a depth in hexadecimal only warns" 0 "config.ini:[0-9]*:1: warning: screen_bpp=0x20 reads as 32"

fresh
sed -i 's/^screen_width=.*/screen_width=wide/' "$CASE/config.ini"
expect_case "a width without digits" 1 "config.ini:[0-9]*:1: error: screen_width=wide is not a number; the game reads 0"

fresh
printf 'vsync=false max_fps=60 player1_bullets=right_ctrl player2_up=w\n' >>"$CASE/config.ini"
run_check
check "optional settings and player keys as the game takes them: no problem" [ "$STATUS" = 0 ]

fresh
printf 'max_fps=-30\nplayer1_up=space\nplayer2_left=left\n' >>"$CASE/config.ini"
line=$(grep -n '^max_fps=' "$CASE/config.ini" | cut -d: -f1)
expect_case "a frame limit below 0" 1 "config.ini:$line:1: error: max_fps=-30 is not a whole number from 0 up; the game reports it and keeps 0"
check "a player key on a command key" mentions \
    "config.ini:$((line + 1)):1: error: Setting player1_up=space: space is a command key; player1_up stays up"
check "a player key another action holds" mentions \
    "config.ini:$((line + 2)):1: error: Setting player2_left=left: left is already the key of player1_left; player2_left stays d"

# Each program binds the keys by its own rules: F moves the second ship in trelvik and switches
# full screen in trelvik-solo, which has no second ship.
fresh
printf 'player1_down=f\nplayer1_up=space\nplayer2_down=space\n' >>"$CASE/config.ini"
line=$(grep -n '^player1_down=' "$CASE/config.ini" | cut -d: -f1)
expect_case "a key bound against one program's rules" 1 "config.ini:$line:1: error: Setting player1_down=f"
check "F taken from the second ship in the two-player game" reports \
    "config.ini:$line:1: error: Setting player1_down=f: f is already the key of player2_down; player1_down stays down; trelvik reports it"
check "F is a command key in the one-player game" reports \
    "config.ini:$line:1: error: Setting player1_down=f: f is a command key; player1_down stays down; trelvik-solo reports it"
check "a problem of both programs is one line naming both" reports \
    "config.ini:$((line + 1)):1: error: Setting player1_up=space: space is a command key; player1_up stays up; trelvik and trelvik-solo report it"
check "the one-player game has no second ship to bind" reports \
    "config.ini:$((line + 2)):1: error: Setting player2_down=space: space is a command key; player2_down stays f; trelvik reports it"

# ---- data/level1.map ----
fresh
rm "$CASE/data/level1.map"
expect_case "no level file" 1 "data/level1.map: error: cannot be opened; the game ends at start"

fresh
sed -i '1s/.*/LEVEL: one METROPOLIS/' "$CASE/data/level1.map"
expect_case "a level number that is not a number" 1 \
    'data/level1.map:1:8: error: the level number is not a whole number: "one"; the rest is ignored'

fresh
sed -i '5s/^[A-Z0-9]*/ENEMY3/' "$CASE/data/level1.map"
expect_case "an unknown keyword only warns" 0 "data/level1.map:5:1: warning: unknown keyword ENEMY3; the game skips the entry"

fresh
sed -i '6s/^\([A-Z0-9]*\) \([^ ]*\) [^ ]*/\1 \2 abc/' "$CASE/data/level1.map"
col=$(($(sed -n 6p "$CASE/data/level1.map" | cut -d' ' -f1-2 | wc -c) + 1))
expect_case "a coordinate that is not a number" 1 "data/level1.map:6:$col: error: entry \"[A-Z0-9]*\": \"abc\" is not a number"

# Bytes from the files are quoted whole and shown escaped: a NUL inside a number, and a texture
# name that is not UTF-8; nothing raw reaches the report.
fresh
printf 'ENEMY1 240 2\0x -100\n' >>"$CASE/data/level1.map"
line=$(wc -l <"$CASE/data/level1.map")
at=$(grep -obUa 'hull\.png' "$CASE/data/Player.ms3d" | head -n 1 | cut -d: -f1)
patch_bytes "$CASE/data/Player.ms3d" $((at + 1)) '\xe9'
expect_case "a NUL byte inside a number" 1 "data/level1.map:$line:12: error: entry \"ENEMY1\": \"2\\\\x00x\" is not a number"
check "a texture name that is not UTF-8" reports \
    'data/h\xE9ll.png: error: cannot be opened; the game reports it and draws the model data/Player.ms3d without it'
check "the report is UTF-8 without control bytes" \
    bash -c "iconv -f UTF-8 -t UTF-8 '$WORK/report' >/dev/null && ! grep -qP '[\\x00-\\x09\\x0B-\\x1F\\x7F]' '$WORK/report'"

fresh
sed -i '$s/ [^ ]*$//' "$CASE/data/level1.map"
expect_case "the last entry cut short" 1 "data/level1.map:[0-9]*:[0-9]*: error: entry \"[A-Z0-9]*\" cut short by the end of the file"

fresh
sed -i '/^BOSS1/d' "$CASE/data/level1.map"
expect_case "no boss" 1 "data/level1.map: error: has no BOSS1 entry; the level cannot be won"

fresh
line=$(grep -n '^BOSS1' "$CASE/data/level1.map" | cut -d: -f1)
sed -i 's/^BOSS1 [^ ]*/BOSS1 20000/' "$CASE/data/level1.map"
expect_case "a boss beyond reach" 1 "data/level1.map:$line:1: error: BOSS1 at x 20000 stands beyond the field's right edge"

fresh
line=$(grep -n '^ENEMY1' "$CASE/data/level1.map" | head -n 1 | cut -d: -f1)
sed -i "${line}s/^ENEMY1 \([^ ]*\) [^ ]*/ENEMY1 \1 500/" "$CASE/data/level1.map"
expect_case "an enemy above the field only warns" 0 "data/level1.map:$line:1: warning: ENEMY1 at y 500 never comes within"

# ---- the later levels and the two level settings ----
fresh
printf 'LOOK 0.2 1.5 0.3\n' >>"$CASE/data/level3.map"
line=$(wc -l <"$CASE/data/level3.map")
expect_case "a look out of range" 1 "data/level3.map:$line:1: error: LOOK: each colour is a number from 0 to 1"
check "the settings of the shipped levels draw no warning" \
    [ "$(grep -c 'warning: unknown keyword \(LOOK\|BOSSENERGY\)' "$WORK/report")" = 0 ]

fresh
printf 'BOSSENERGY 0 0 0\n' >>"$CASE/data/level2.map"
expect_case "a boss without energy" 1 "data/level2.map:[0-9]*:1: error: BOSSENERGY: the boss's energy is a whole number from 1 to 9999"

# A later level the game cannot read ends the campaign at the one before it; the game plays on.
fresh
rm "$CASE/data/level3.map"
mkdir "$CASE/data/level3.map"
expect_case "a later level that cannot be read" 1 \
    "data/level3.map: error: cannot be read (Is a directory); the game reports it and the campaign ends at level 2$"
check "the levels after it are never reached" reports \
    "data/level4.map: warning: comes after data/level3.map, which the game cannot read; the campaign ends at level 2 and never reaches it"

fresh
rm "$CASE/data/level4.map"
expect_case "a gap in the campaign only warns" 0 "data/level5.map: warning: comes after the missing data/level4.map; the campaign ends at level 3"

# ---- models ----
fresh
rm "$CASE/data/Enemy5.ms3d"
expect_case "a missing enemy model" 1 "data/Enemy5.ms3d: error: cannot be opened; the game reports it and draws nothing for ENEMY1"

fresh
head -c 100 "$BUILD_RUN_DIR/data/Shot.ms3d" >"$CASE/data/Shot.ms3d"
expect_case "a model cut short" 1 "data/Shot.ms3d: error: is not a model the game reads: the vertex section at byte 14 is cut short"

fresh
patch_bytes "$CASE/data/Shot.ms3d" 4 'X'
expect_case "a model with a wrong identifier" 1 "data/Shot.ms3d: error: is not a model the game reads: does not begin with MS3D000000"

fresh
vertices=$(u16_at "$CASE/data/Shot.ms3d" 14)
# The first triangle's first vertex index: header, vertex count, vertices, triangle count, flags.
patch_bytes "$CASE/data/Shot.ms3d" $((14 + 2 + 15 * vertices + 2 + 2)) '\xff\xff'
expect_case "a triangle naming a vertex that is not there" 1 \
    "data/Shot.ms3d: error: triangle 0 names vertex 65535 of $vertices; the game leaves such triangles out"

fresh
rm "$CASE/data/hull.png"
expect_case "a model's missing texture" 1 \
    "data/hull.png: error: cannot be opened; the game reports it and draws the model data/Player.ms3d without it"

fresh
rm "$CASE/data/Building2UV.ms3d"
sed -i '/^BUILDING2/d' "$CASE"/data/level*.map
run_check
check "a model the level does not use may be missing (got $STATUS)" [ "$STATUS" = 0 ]

# ---- images and sounds ----
fresh
echo "not an image" >"$CASE/data/shield2.png"
expect_case "an image that does not decode" 1 "data/shield2.png: error: does not decode"

fresh
convert -size 64x64 xc:red -type palette "PNG8:$CASE/data/particle3.png"
expect_case "a palettised image only warns" 0 "data/particle3.png: warning: is palettised; the game converts it to 24-bit"

fresh
echo "not a sound" >"$CASE/data/explos.wav"
expect_case "a sound that does not load" 1 "data/explos.wav: error: does not load"

fresh
rm "$CASE/data/phenomenon.wav"
expect_case "missing music" 1 "data/phenomenon.wav: error: cannot be opened; the game reports it and plays without music"

finish
