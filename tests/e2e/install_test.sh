#!/usr/bin/env bash
# The installed game: cmake --install into a fresh prefix lays out the programs, data, config.ini,
# launchers, desktop entries and icon; the launchers start the game from the player's own
# directory (a copy of config.ini whose edits are kept, a link to the shared data), or from the
# shared directory when the player has no writable home.
source "$(dirname "$0")/lib.sh"
PREFIX="$WORK/prefix"
export XDG_DATA_HOME="$WORK/home/.local/share"
USER_DIR="$XDG_DATA_HOME/trelvik"

check "cmake --install succeeds" bash -c "cmake --install '$BUILD_RUN_DIR/..' --prefix '$PREFIX' >'$WORK/install.log' 2>&1"
for f in lib/games/trelvik/trelvik lib/games/trelvik/trelvik-solo games/trelvik games/trelvik-solo; do
    check "$f is installed and executable" [ -x "$PREFIX/$f" ]
done
check "config.ini is the default settings file" cmp -s "$PREFIX/share/games/trelvik/config.ini" "$(dirname "$0")/../../config.ini"
check "the level is installed with the data" [ -f "$PREFIX/share/games/trelvik/data/level1.map" ]
check "the icon is a 64x64 PNG" bash -c "identify '$PREFIX/share/icons/hicolor/64x64/apps/trelvik.png' | grep -q ' PNG 64x64 '"
for program in trelvik trelvik-solo; do
    entry="$PREFIX/share/applications/$program.desktop"
    check "$program.desktop starts the installed launcher" grep -qx "Exec=$PREFIX/games/$program" "$entry"
    if command -v desktop-file-validate >/dev/null; then
        check "$program.desktop is valid" desktop-file-validate "$entry"
    else
        echo "skipped: desktop-file-validate is not installed (package desktop-file-utils)"
    fi
done

# Starts an installed launcher the way a desktop would: from elsewhere, output to files.
start_launcher() { # start_launcher program
    (cd / && exec "$PREFIX/games/$1" >"$WORK/out" 2>"$WORK/err") &
    APP_PID=$!
    wait_for_window
}
window_is() { [ "$(window_size)" = "$1 $2" ]; }
play_and_quit() { # play_and_quit program width height what
    check "$1 $4: the launcher opens the window" start_launcher "$1"
    check "$1 $4: the window is $2x$3" window_is "$2" "$3"
    send_key Escape
    check "$1 $4: ends after Escape" wait_exit 20
    check "$1 $4: exit status 0" [ "${EXIT_STATUS:-x}" = 0 ]
}

play_and_quit trelvik 800 600 "first start"
check "the first start copies config.ini to the player's directory" cmp -s "$USER_DIR/config.ini" "$PREFIX/share/games/trelvik/config.ini"
check "the player's directory links the shared data" [ "$(readlink "$USER_DIR/data")" = "$PREFIX/share/games/trelvik/data" ]

sed -i 's/^screen_width=.*/screen_width=640/; s/^screen_height=.*/screen_height=480/' "$USER_DIR/config.ini"
play_and_quit trelvik-solo 640 480 "with the player's settings"
check "the player's edited settings are kept" grep -qx "screen_width=640" "$USER_DIR/config.ini"

# A home that cannot hold the directory: the shared one serves.
: >"$WORK/not-a-directory"
XDG_DATA_HOME="$WORK/not-a-directory" play_and_quit trelvik 800 600 "without a writable home"
check "without a writable home nothing is written" [ -f "$WORK/not-a-directory" ] && [ ! -s "$WORK/not-a-directory" ]

finish
