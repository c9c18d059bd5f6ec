#!/usr/bin/env bash
# Every benchmark of the game, printed as tables (a measurement, not a test; always run by hand):
#   tools/bench/run.sh [build directory]    (default: build; under its own virtual display)
# 1. the level flown by the autopilots at 640 x 480: frames a second beside an empty frame, the
#    processor time a pass takes and the time of each drawing stage (trelvik_fps); the peer
#    comparison is tools/bench/peer.sh, run on its own;
# 2. one game tick at 50, 200, 1000 and 5000 actors and its growth (game_tick_bench); target:
#    1000 actors under 1 ms;
# 3. for each program: time from process start to the first frame on screen with all data
#    loaded, and resident memory then, after 1,000 frames (warmed up) and after 10,000 (the
#    programs as built, run in a private run directory with a 640 x 480 window; frame_probe.so
#    is preloaded to see the frames); targets: start-up under 1 s, no growth after warm-up.
set -u
if [ -z "${DISPLAY:-}" ]; then
    exec "$(dirname "$0")/../headless.sh" "$0" "$@"
fi
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath "${1:-$root/build}")
cmake --build "$build" --target trelvik trelvik-solo trelvik-data trelvik_fps game_tick_bench frame_probe -j2 >/dev/null || exit 1
work=$(mktemp -d)
export XDG_DATA_HOME="$work/share" # the games' tables of best runs stay here
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT

echo "== 1. Frames per second of the level =="
"$build/tools/bench/trelvik_fps" "$build/run"
echo
echo "== 2. Game tick =="
# Its shots hit with no sound loaded; the "NULL pointer Sound" lines that says so are left out.
"$build/tools/bench/game_tick_bench" 2>/dev/null
echo
echo "== 3. Start-up and memory =="
ln -s "$build/run/data" "$work/data"
printf 'useDisplaylists=true\nscreen_width=640\nscreen_height=480\nscreen_bpp=24\nfullscreen=false\nvsync=false\n' >"$work/config.ini"
printf '%-14s %12s %14s %15s %16s %16s %15s %10s\n' program "start-up ms" "RSS loaded kB" "RSS 1000 fr kB" "RSS 10000 fr kB" "HWM 10000 fr kB" "1000->10000 fr" "10000 fr s"
for program in trelvik trelvik-solo; do
    probe="$work/probe-$program"
    rm -f "$probe"
    (cd "$work" && TRELVIK_PROBE_OUT="$probe" TRELVIK_PROBE_T0=$(date +%s%N) LD_PRELOAD="$build/tools/bench/libframe_probe.so" \
        exec "$build/run/$program" >/dev/null 2>"$work/err") &
    pid=$!
    for _ in $(seq 1 6000); do
        grep -q '^frame 10000 ' "$probe" 2>/dev/null && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    wid=$(xdotool search --name "^Trelvik  Build" 2>/dev/null | head -n 1)
    [ -n "$wid" ] && xdotool key --window "$wid" Escape 2>/dev/null
    wait "$pid"
    pid=""
    read -r _ _ _ ms1 _ rss1 _ _ < <(grep '^frame 1 ' "$probe" 2>/dev/null || echo "- - - - - - - -")
    read -r _ _ _ _ _ rss2 _ _ < <(grep '^frame 1000 ' "$probe" 2>/dev/null || echo "- - - - - - - -")
    read -r _ _ _ ms3 _ rss3 _ hwm3 < <(grep '^frame 10000 ' "$probe" 2>/dev/null || echo "- - - - - - - -")
    frames_s=$(awk -v a="$ms1" -v b="$ms3" 'BEGIN { if (b + 0 > 0) printf "%.1f", (b - a) / 1000; else print "-" }')
    growth=$(awk -v a="$rss2" -v b="$rss3" 'BEGIN { if (a + 0 > 0 && b + 0 > 0) printf "%+.1f%%", (b - a) * 100 / a; else print "-" }')
    printf '%-14s %12s %14s %15s %16s %16s %15s %10s\n' "$program" "$ms1" "$rss1" "$rss2" "$rss3" "$hwm3" "$growth" "$frames_s"
done
echo "start-up: from the program's start to its first buffer swap (all data loaded); the game runs"
echo "without a frame limit, so 10,000 frames take 10,000 passes of the main loop."
