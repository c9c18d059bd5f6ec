#!/usr/bin/env bash
# Without its level file the game cannot begin: it says so and ends with status 2.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/game_lib.sh"

for program in trelvik trelvik-solo; do
    make_game_dir
    rm -f "$WORK/run/data/level1.map"
    (cd "$WORK/run" && timeout 30 "$BUILD_RUN_DIR/$program" >"$WORK/out" 2>"$WORK/err")
    status=$?
    check "$program without its level exits with status 2" [ $status = 2 ]
    check "$program without its level says why" \
        [ "$(errors)" = "$(printf 'Error: Failed to open level file: data/level1.map\nQuitting!')" ]
done

finish
