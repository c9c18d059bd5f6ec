#!/usr/bin/env bash
# The packages as a player gets them: unpacked (dpkg -x) into a folder given as the first argument,
# the launcher started with a fresh home opens the window and shows the HUD, Escape ends it with
# status 0, and a second start keeps the player's edited config.ini; trelvik-check finds the
# installed data ready to play and flies it for one and two players. Run by tools/package-check.sh; arguments: <root> <screenshot folder>.
source "$(dirname "$0")/../e2e/lib.sh"
source "$(dirname "$0")/../e2e/game_lib.sh"
ROOT=$(cd "$BUILD_RUN_DIR" && pwd)
SHARED="$ROOT/usr/share/games/trelvik"
export HOME="$WORK/home"
unset XDG_DATA_HOME
USER_DIR="$HOME/.local/share/trelvik"
mkdir -p "$HOME"

start_launcher() { # start_launcher program: from elsewhere, as a menu would
    (cd / && exec "$ROOT/usr/games/$1" >"$WORK/out" 2>"$WORK/err") &
    APP_PID=$!
    wait_for_window
}

check "the first start opens the window" start_launcher trelvik
check "the window has the default size, 800x600" [ "$(window_size)" = "800 600" ]
sleep 1
screenshot "installed-0-start"
send_key q F2
sleep 2
screenshot "installed-1-hud"
# Over the city the HUD's colours vary, so its lines are found as what changed when they came.
changed() { # changed x y w h
    [ "$(pix diff "$SHOT_DIR/installed-0-start.png" "$SHOT_DIR/installed-1-hud.png" "$@")" -ge 100 ]
}
check "the HUD shows: Q puts the invincibility line in the lower right corner" changed $((800 - 264)) $((600 - 32)) 252 16
check "the HUD shows: F2 puts the frame rate in the lower left corner" changed 12 $((600 - 32)) 84 16
end_with_escape trelvik
check "nothing is reported on standard error" [ -z "$(errors)" ]
check "the first start copied the shared config.ini" cmp -s "$USER_DIR/config.ini" "$SHARED/config.ini"

sed -i 's/^screen_width=.*/screen_width=640/; s/^screen_height=.*/screen_height=480/' "$USER_DIR/config.ini"
check "a second start opens the window" start_launcher trelvik-solo
check "the second start uses the player's edited size, 640x480" [ "$(window_size)" = "640 480" ]
end_with_escape trelvik-solo
check "the player's edited config.ini is kept" grep -qx "screen_width=640" "$USER_DIR/config.ini"

check "trelvik-check finds the installed data ready to play" \
    bash -c "'$ROOT/usr/games/trelvik-check' '$SHARED' >'$WORK/check.txt' 2>&1"
sed 's/^/  /' "$WORK/check.txt"
check "trelvik-check --play flies one and two players on the installed data" \
    bash -c "'$ROOT/usr/games/trelvik-check' --play=1 --pilots expert --csv '$WORK/play.csv' '$SHARED' >'$WORK/play.txt' 2>&1 &&
             [ \"\$(cut -d, -f1 '$WORK/play.csv' | sort -u | tr '\n' ' ')\" = '1 2 players ' ]"

finish
