#!/usr/bin/env bash
# Soak test: plays a built program for a given time with random keys sent from outside, then
# Escape. Passes when it exits with status 0, standard error holds no sanitizer report, and its
# memory grows by less than a limit from the end of the warm-up to the end of the run (each the
# median of a quarter of the measured time). The memory judged is, in a sanitizer build, the bytes
# the program holds allocated (it writes them to TRELVIK_HEAP_LOG once a second), with a limit of
# 10%; elsewhere its resident memory, with a limit of 5%. Resident memory is printed either way.
# Usage: tools/soak.sh <program> <seconds> [warm-up seconds]
#   e.g. tools/soak.sh build-asan/run/trelvik 600
# Runs under its own virtual display (tools/headless.sh) unless DISPLAY is set. The program runs
# in a private run directory (640 x 480 window, the program's own data/ linked in).
# Keys: both players' controls held and released (arrows, P, O, D, G, R, F, A, X; F only in the
# two-player game) and the command keys Q, Space, F2-F8, N, M pressed, and the pause keys (Pause,
# Backspace) pressed twice in a row, so that the game is never left paused. The full-screen keys are
# left out (F11, and F in the one-player game): a window that keeps changing mode proves nothing
# about memory. Escape comes only at the end.
# SOAK_WRAPPER, when set, is a command the program is run under (tools/memcheck.sh passes
# valgrind); resident memory is then the wrapper's and is not judged.
# Under AddressSanitizer the freed-memory quarantine is capped at 2 MB: with the default 256 MB,
# or even 16 MB, resident memory swings by 30 MB as the quarantine fills and drains, which hides
# any real growth; 2 MB still catches a use of memory freed a moment ago.
set -u
if [ -z "${DISPLAY:-}" ]; then
    exec "$(dirname "$0")/headless.sh" "$0" "$@"
fi
if [ $# -lt 2 ]; then
    echo "usage: tools/soak.sh <program> <seconds> [warm-up seconds]" >&2
    exit 1
fi
program=$(realpath "$1")
duration=$2
warmup=${3:-$((duration / 5 > 60 ? 60 : duration / 5))}
name=$(basename "$program")
[ -x "$program" ] || { echo "soak: no program $program" >&2; exit 1; }
[ -d "$(dirname "$program")/data" ] || { echo "soak: no data/ beside $program" >&2; exit 1; }

work=$(mktemp -d)
# The table of best runs the random play makes stays in the soak's own folder.
export XDG_DATA_HOME="$work/share"
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
ln -s "$(dirname "$program")/data" "$work/data"
printf 'useDisplaylists=true\nscreen_width=640\nscreen_height=480\nscreen_bpp=24\nfullscreen=false\n' >"$work/config.ini"

export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
# Freed memory is also kept rather than handed back to the system every few seconds, so that
# resident memory follows what the game holds instead of the allocator's periodic release.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=2:allocator_release_to_os_interval_ms=-1}
export TRELVIK_HEAP_LOG="$work/heap"
read -r -a wrapper <<<"${SOAK_WRAPPER:-}"
(cd "$work" && exec ${wrapper[@]+"${wrapper[@]}"} "$program" >"$work/out" 2>"$work/err") &
pid=$!

wid=""
for _ in $(seq 1 1200); do
    wid=$(xdotool search --onlyvisible --name "^Trelvik  Build" 2>/dev/null | head -n 1)
    [ -n "$wid" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$wid" ]; then
    echo "soak: $name opened no window" >&2
    cat "$work/err" >&2
    exit 1
fi

rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null; }
held() { [ -s "$work/heap" ] && awk 'END { if ($1 != "") printf "%d", $1 / 1024 }' "$work/heap"; }
hwm() { awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null; }

held_keys=(Left Right Up Down p o d g r a x)
[ "$name" = trelvik ] && held_keys+=(f)
command_keys=(q space F2 F3 F4 F5 F6 F7 F8 n m Pause BackSpace)
# Presses a command key; a pause key is pressed again after a moment, which resumes the game.
press_command() { # press_command key
    xdotool key --window "$wid" "$1" 2>/dev/null
    case $1 in
    Pause | BackSpace) sleep 0.2; xdotool key --window "$wid" "$1" 2>/dev/null ;;
    esac
}
declare -A held=()
# Every command key twice before the random play: each drawing mode the keys reach (wireframe,
# texture filters, lists, culling) is drawn once early in the warm-up. The renderer compiles code
# the first time it meets a new combination of state, and under AddressSanitizer the memory that
# took stays resident: met after the warm-up, it would read as growth.
for key in "${command_keys[@]}"; do
    press_command "$key"
    sleep 0.3
    press_command "$key"
    sleep 0.3
done
RANDOM=${SOAK_SEED:-$$}
start=$(date +%s)
events=0
samples=()          # "elapsed:resident kB:held kB", one a second after the warm-up
last_sample=-1
while :; do
    now=$(date +%s)
    elapsed=$((now - start))
    [ "$elapsed" -ge "$duration" ] && break
    kill -0 "$pid" 2>/dev/null || break
    if [ "$elapsed" -ge "$warmup" ] && [ "$elapsed" -ne "$last_sample" ]; then
        samples+=("$elapsed:$(rss):$(held)")
        last_sample=$elapsed
    fi
    if [ $((RANDOM % 10)) -lt 8 ]; then
        key=${held_keys[RANDOM % ${#held_keys[@]}]}
        if [ -n "${held[$key]:-}" ]; then
            xdotool keyup --window "$wid" "$key" 2>/dev/null
            unset "held[$key]"
        else
            xdotool keydown --window "$wid" "$key" 2>/dev/null
            held[$key]=1
        fi
    else
        press_command "${command_keys[RANDOM % ${#command_keys[@]}]}"
    fi
    events=$((events + 1))
    sleep "0.0$((RANDOM % 9 + 1))"
done
for key in "${!held[@]}"; do xdotool keyup --window "$wid" "$key" 2>/dev/null; done

failures=0
peak=$(hwm)
# The game's memory rises and falls by several percent from one second to the next with what is
# on the field, so the first quarter of the measured time (at least 5 s) is compared with the
# last, the median of each. Field 2 of a sample is resident memory, field 3 the bytes held
# allocated.
window=$(((duration - warmup) / 4 > 5 ? (duration - warmup) / 4 : 5))
medians() { # medians field: "first last", or nothing when a window has no readings
    printf '%s\n' "${samples[@]}" | awk -F: -v f="$1" -v w="$window" -v first="$warmup" -v last="$duration" '
        function median(v, n,   i, j, t) {
            for (i = 2; i <= n; i++)
                for (j = i; j > 1 && v[j - 1] > v[j]; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
            return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
        }
        $f != "" && $1 < first + w { a[++na] = $f }
        $f != "" && $1 >= last - w { b[++nb] = $f }
        END { if (na && nb) printf "%d %d\n", median(a, na), median(b, nb) }'
}
read -r rss_first rss_last < <(medians 2)
read -r held_first held_last < <(medians 3)
# What the game holds follows the level: more on the field, and the GL driver keeping the code it
# compiled for each new combination of state. Over 40 s of a level it moved by -3% to +3.4% in
# runs without a leak, so a short run allows 10%: it catches gross growth (100 kB a second over
# the test command's 30 s measured), and the ten-minute runs by hand the slow kind.
if [ -n "${held_first:-}" ]; then
    judged="memory held allocated"
    baseline=$held_first final=$held_last limit=10
else
    judged="resident memory"
    baseline=${rss_first:-} final=${rss_last:-} limit=5
fi
if ! kill -0 "$pid" 2>/dev/null; then
    echo "FAILED: $name ended on its own before Escape"
    failures=$((failures + 1))
fi
xdotool key --window "$wid" Escape 2>/dev/null
status=""
for _ in $(seq 1 1800); do
    if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid"
        status=$?
        pid=""
        break
    fi
    sleep 0.1
done

echo "$name: $duration s, warm-up $warmup s, $events key events"
by_time() { # by_time field
    printf '%s\n' "${samples[@]}" | awk -F: -v f="$1" -v step=$(((duration - warmup) / 10 > 1 ? (duration - warmup) / 10 : 1)) \
        '($1 % step) == 0 && $f != "" { printf "%ss:%s ", $1, $f }'
}
echo "resident memory (kB) by time: $(by_time 2)"
echo "resident memory, median of ${window} s: after warm-up ${rss_first:-?} kB, at the end ${rss_last:-?} kB; peak ${peak:-?} kB"
if [ -n "${held_first:-}" ]; then
    echo "memory held allocated (kB) by time: $(by_time 3)"
    echo "memory held allocated, median of ${window} s: after warm-up $held_first kB, at the end $held_last kB"
fi
if [ "$status" != 0 ]; then
    echo "FAILED: exit status ${status:-none (still running 180 s after Escape)}"
    failures=$((failures + 1))
else
    echo "ok: exit status 0"
fi
if grep -q -e 'ERROR: AddressSanitizer' -e 'ERROR: LeakSanitizer' -e 'runtime error:' -e 'SUMMARY: .*Sanitizer' "$work/err"; then
    echo "FAILED: sanitizer report on standard error:"
    sed -n 1,60p "$work/err"
    failures=$((failures + 1))
else
    echo "ok: no sanitizer report"
fi
if [ -n "${SOAK_WRAPPER:-}" ]; then
    echo "not judged: memory under $SOAK_WRAPPER"
elif [ -n "$baseline" ] && [ -n "$final" ] &&
    awk -v a="$baseline" -v b="$final" -v l="$limit" 'BEGIN { exit !(b < a * (1 + l / 100)) }'; then
    echo "ok: $judged grew $(awk -v a="$baseline" -v b="$final" 'BEGIN { printf "%+.2f%%", (b - a) * 100 / a }') after the warm-up"
else
    echo "FAILED: $judged grew ${limit}% or more after the warm-up (or could not be read)"
    failures=$((failures + 1))
fi
[ "$failures" -eq 0 ]
