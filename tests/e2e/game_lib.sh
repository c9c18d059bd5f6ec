# Helpers of the end-to-end game tests, sourced after lib.sh: a run directory whose data/ is the
# build's generated data with some files of the test's own (its level, quiet music), the HUD
# regions of a 640 x 480 window, and the keys of each program.
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

pix() { python3 "$HERE/pixels.py" "$@"; }

# A fresh run directory with the build's data linked file by file; a level text, if given, is the
# whole campaign: data/level1.map, and no later level.
make_game_dir() { # make_game_dir [level text]
    rm -rf "$WORK/run"
    mkdir -p "$WORK/run/data"
    for f in "$BUILD_RUN_DIR"/data/*; do ln -s "$f" "$WORK/run/data/"; done
    default_config 640 480 >"$WORK/run/config.ini"
    if [ $# -gt 0 ]; then
        rm -f "$WORK/run/data/"level*.map
        printf '%s\n' "$1" >"$WORK/run/data/level1.map"
    fi
}

# Replaces a sound of the run directory with a second of silence in the mixer's format.
quiet_sound() { # quiet_sound file-name
    rm -f "$WORK/run/data/$1"
    python3 - "$WORK/run/data/$1" <<'PY'
import sys, wave
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(2)
    w.setsampwidth(2)
    w.setframerate(22050)
    w.writeframes(b"\0" * 22050 * 4)
PY
}

# Keys per program: the first ship's bullet key, and whether there is a second ship.
keys_for() { # keys_for trelvik|trelvik-solo
    if [ "$1" = trelvik ]; then FIRE=p; FIRE2=a; else FIRE=x; FIRE2=""; fi
}

hold_keys() { have_window "hold keys in" && { xdotool keydown --window "$WID" "$@" 2>/dev/null; return 0; }; }
release_keys() { have_window "release keys in" && { xdotool keyup --window "$WID" "$@" 2>/dev/null; return 0; }; }

# HUD regions (x y w h) of a 640 x 480 window: where each line's glyphs fall.
R_MUTANT="376 448 256 16"  # "I'M AN ATOMIC MUTANT!" at (640 - 264, 480 - 32), red
R_FPS="12 448 100 16"      # "FPS: n" at (12, 480 - 32), yellow
R_BOSS="508 32 124 16"     # "BOSS: nnnn" at (640 - 132, 32), red
R_WON="218 240 208 16"     # "A WINNER IS YOU!!" at (320 - 102, 240), pink
R_OVER="266 208 108 16"    # "GAME OVER" at (320 - 54, 240 - 32), pink
R_HINT="170 272 300 16"    # "Press <SPACE> to restart." at (320 - 150, 240 + 32), pink

# Whether the screenshot shows at least $3 pixels of the class in the region.
shows() { # shows shot-name "region" class [minimum]
    local n
    n=$(pix count "$SHOT_DIR/$1.png" $2 "$3")
    [ "$n" -ge "${4:-40}" ]
}
# Whether fewer than $4 (5) pixels of the class show there: a line has hundreds, while an
# explosion's rim may add a few.
lacks() { # lacks shot-name "region" class [limit]
    local n
    n=$(pix count "$SHOT_DIR/$1.png" $2 "$3")
    [ "$n" -lt "${4:-5}" ]
}

# Takes screenshots every second until the class shows in the region; fails after $4 seconds.
wait_for() { # wait_for shot-name "region" class seconds
    local i
    for i in $(seq 1 "$4"); do
        screenshot "$1" && shows "$1" "$2" "$3" && return 0
        kill -0 "$APP_PID" 2>/dev/null || return 1
        sleep 1
    done
    return 1
}

end_with_escape() { # end_with_escape program
    send_key Escape
    check "$1 ends on Escape" wait_exit 3
    check "$1 exits with status 0" [ "${EXIT_STATUS:-x}" = 0 ]
}

# How many samples of the disk audio driver's output are not silent, from the start or from a
# byte offset on.
audible() { # audible raw-file [offset]
    python3 - "$1" "${2:-0}" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()[int(sys.argv[2]) // 2 * 2:] if sys.argv[1] else b""
print(sum(1 for i in range(0, len(data) - 1, 2) if data[i] or data[i + 1]))
PY
}

# Whether the text of a HUD line with its top-left corner at (x, y) and n characters shows in
# the class's colour inside the line's glyph cells, starting near the cells' top-left corner
# (the font's glyphs keep a small margin in their cells).
placed() { # placed shot-name x y n class
    local box x0 y0 x1 y1
    box=$(pix bbox "$SHOT_DIR/$1.png" $(($2 - 40)) $(($3 - 20)) $((12 * $4 + 80)) 56 "$5")
    [ "$box" != none ] || return 1
    read -r x0 y0 x1 y1 <<<"$box"
    [ "$x0" -ge "$2" ] && [ "$x0" -le $(($2 + 6)) ] && [ "$y0" -ge "$3" ] && [ "$y0" -le $(($3 + 4)) ] &&
        [ "$x1" -lt $(($2 + 12 * ($4 - 1) + 16)) ] && [ "$y1" -lt $(($3 + 16)) ]
}

# The same, looked for in the line's own row only, for a line with another just above or below.
placed_in_row() { # placed_in_row shot-name x y n class
    local box x0 y0 x1 y1
    box=$(pix bbox "$SHOT_DIR/$1.png" $(($2 - 40)) $(($3 - 2)) $((12 * $4 + 80)) 18 "$5")
    [ "$box" != none ] || return 1
    read -r x0 y0 x1 y1 <<<"$box"
    [ "$x0" -ge "$2" ] && [ "$x0" -le $(($2 + 6)) ] && [ "$x1" -lt $(($2 + 12 * ($4 - 1) + 16)) ]
}

# Standard error without SDL's own notice about the disk audio driver (SDL 1.2's or, under
# sdl12-compat, SDL 2's wording) and, in a sanitizer build, the leak checker's list of the
# suppressions it used (between two lines of dashes).
errors() { # errors [file]
    awk '/^-----+$/ { inside = !inside; next } !inside' "${1:-$WORK/err}" |
        grep -v -e '^WARNING: You are using the SDL disk writer audio driver!' -e '^ Writing to file' \
            -e '^CRITICAL: You are using the SDL disk i/o audio driver!' -e '^CRITICAL:  Writing to file'
}
