#!/usr/bin/env bash
# The real level as built: nothing moves for the first three seconds, then the camera scrolls.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/game_lib.sh"

for program in trelvik trelvik-solo; do
    make_game_dir
    check "$program opens its window" start_program $program
    opened=$(date +%s.%N)
    # Loading ends within a fraction of a second; the timer starts after it, so until three
    # seconds after the window opened the game is certainly still waiting.
    sleep 0.5
    screenshot "scroll-$program-0-ready"
    screenshot "scroll-$program-1-ready"
    taken=$(echo "$(date +%s.%N) - $opened" | bc)
    echo "  (second screenshot done ${taken}s after the window opened)"
    sleep 4
    screenshot "scroll-$program-2-scrolling"
    # The first enemies are on screen by now: the ships open fire (the README's picture).
    keys_for $program
    hold_keys $FIRE $FIRE2
    sleep 2.5
    screenshot "scroll-$program-3-fighting"
    release_keys $FIRE $FIRE2
    if [ "$(echo "$taken < 3" | bc)" = 1 ]; then
        check "$program: the picture stands still while the game is ready" \
            [ "$(pix diff "$SHOT_DIR/scroll-$program-0-ready.png" "$SHOT_DIR/scroll-$program-1-ready.png")" -lt 50 ]
    else
        echo "  (screenshots too slow to tell the waiting time: not checked)"
    fi
    check "$program: the ships and the level are drawn" \
        [ "$(pix lit "$SHOT_DIR/scroll-$program-0-ready.png" 0 60 640 420)" -gt 100000 ]
    check "$program: after three seconds the level scrolls" \
        [ "$(pix diff "$SHOT_DIR/scroll-$program-1-ready.png" "$SHOT_DIR/scroll-$program-2-scrolling.png")" -gt 5000 ]
    end_with_escape $program
    check "$program reports nothing on standard error" [ -z "$(errors)" ]
done

finish
