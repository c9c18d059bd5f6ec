#!/usr/bin/env bash
# Our two-player game against a peer, Chromium B.S.U. from Debian, in the same run on one virtual
# display (a measurement, not a test; run by hand):
#   tools/bench/peer.sh [build directory] [rounds] [seconds measured per game and round]
# Both play at 640 x 480 in 24-bit colour with fire held and the ships moving up and down (the
# peer's left and right) a second at a time. frame_probe.so is preloaded into both: it counts
# buffer swaps each second and lifts the peer's frame delay (SDL_Delay returns at once), so both
# draw as fast as they can. The first 3 s after play starts are left out. Each round plays both,
# in an order that turns each round; the figure is the ratio of the medians of the per-second
# frame counts, ours over the peer's, beside each round's own ratio. The peer is installed from
# Debian (apt-get, as root or through sudo) when it is missing.
set -u
if [ -z "${DISPLAY:-}" ]; then
    exec "$(dirname "$0")/../headless.sh" "$0" "$@"
fi
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath "${1:-$root/build}")
rounds=${2:-3}
seconds=${3:-16}
warmup=3
peer=/usr/games/chromium-bsu
if [ ! -x "$peer" ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q chromium-bsu >/dev/null || exit 1
fi
cmake --build "$build" --target trelvik trelvik-data frame_probe trelvik_fps -j2 >/dev/null || exit 1
probe=$build/tools/bench/libframe_probe.so

work=$(mktemp -d)
export XDG_DATA_HOME="$work/share" # our game's table of best runs stays here
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/ours" "$work/peer-home"
ln -s "$build/run/data" "$work/ours/data"
printf 'useDisplaylists=true\nscreen_width=640\nscreen_height=480\nscreen_bpp=24\nfullscreen=false\nvsync=false\n' >"$work/ours/config.ini"
# The peer's settings: a 640 x 480 window in true colour with all its effects (its defaults
# otherwise); a home of its own so nothing of the user's is read or written.
printf 'screenWidth 640\nscreenHigh 480\nfull_screen 0\ntrue_color 1\ngfxLevel 2\nshow_fps 0\n' \
    >"$work/peer-home/.chromium-bsu"

# play ours|peer round: plays one game and leaves the frame counts of the measured seconds, one
# a line, in $work/<game>-<round>.
play() {
    local game=$1 round=$2 rate="$work/rate-$1-$2" wid="" up down start
    rm -f "$rate"
    if [ "$game" = ours ]; then
        (cd "$work/ours" && TRELVIK_PROBE_RATE="$rate" LD_PRELOAD="$probe" exec "$build/run/trelvik" >/dev/null 2>&1) &
    else
        (HOME="$work/peer-home" TRELVIK_PROBE_RATE="$rate" TRELVIK_PROBE_NO_DELAY=1 LD_PRELOAD="$probe" \
            exec "$peer" --window --noaudio >/dev/null 2>&1) &
    fi
    pid=$!
    for _ in $(seq 1 200); do
        wid=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1)
        [ -n "$wid" ] && break
        sleep 0.1
    done
    if [ -z "$wid" ]; then
        echo "peer.sh: $game opened no window" >&2
        exit 1
    fi
    sleep 1
    # The keys go where the pointer is: the display has no window manager. Our game is not given
    # the focus outright: that sends it a focus-out first, and it pauses when it loses the focus,
    # and the first round of every run measured a paused game at 30 frames a second.
    xdotool mousemove --window "$wid" 320 240 2>/dev/null
    [ "$game" = peer ] && xdotool windowfocus --sync "$wid" 2>/dev/null
    if [ "$game" = ours ]; then
        xdotool keydown p a # both ships fire
        up="Up r" down="Down f"
    else
        xdotool key Return # the menu's first entry starts a game
        sleep 0.5
        xdotool keydown space
        up=Left down=Right
    fi
    start=$(wc -l <"$rate" 2>/dev/null || echo 0)
    for i in $(seq 1 $((warmup + seconds + 1))); do
        if [ $((i % 2)) -eq 0 ]; then
            xdotool keyup $down keydown $up
        else
            xdotool keyup $up keydown $down
        fi
        sleep 1
    done
    xdotool keyup $up $down p a space 2>/dev/null
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    pid=""
    awk -v from=$((start + warmup + 1)) -v to=$((start + warmup + seconds)) \
        '$1 == "second" && $2 >= from && $2 <= to { print $4 }' "$rate" >"$work/fps-$game-$round"
}

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print 0; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "Mesa: $(dpkg-query -W -f '${Version}' libgl1-mesa-dri 2>/dev/null), $(nproc) cores"
echo "peer: $(dpkg-query -W -f '${Package} ${Version}' chromium-bsu 2>/dev/null)"
# The machine's yardstick at that moment: an empty frame (clear and swap) at 640 x 480, frames a second.
empty() { "$build/tools/bench/trelvik_fps" "$build/run" --empty 2>/dev/null | tail -n 1; }
printf '%-6s %12s %12s %7s %12s\n' round "ours fps" "peer fps" ratio "empty fps"
for round in $(seq 1 "$rounds"); do
    e=$(empty)
    if [ $((round % 2)) -eq 1 ]; then
        play ours "$round"
        play peer "$round"
    else
        play peer "$round"
        play ours "$round"
    fi
    o=$(median <"$work/fps-ours-$round")
    p=$(median <"$work/fps-peer-$round")
    printf '%-6s %12s %12s %7s %12s\n' "$round" "$o" "$p" "$(awk -v o="$o" -v p="$p" 'BEGIN { if (p > 0) printf "%.2f", o / p; else print "-" }')" "$e"
done
o=$(cat "$work"/fps-ours-* | median)
p=$(cat "$work"/fps-peer-* | median)
printf '%-6s %12s %12s %7s\n' all "$o" "$p" "$(awk -v o="$o" -v p="$p" 'BEGIN { if (p > 0) printf "%.2f", o / p; else print "-" }')"
echo "fps: median of the frames drawn in each second, $seconds s a game and round after $warmup s of play;"
echo "ratio: ours over the peer's; empty fps: a clear and swap at 640 x 480 before the round, the machine's yardstick."
