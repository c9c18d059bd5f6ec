#!/usr/bin/env bash
# Builds the fuzz targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer) and runs each for
# the given number of seconds, two at a time. Usage: tools/fuzz/run.sh <seconds> [target...]
# Targets: settings level ms3d image scores (all by default). The build folder is build-asan unless
# TRELVIK_FUZZ_BUILD names another; corpora grow in <build>/fuzz/corpus/<target>, seeded from the
# generated data, config.ini, ../shared/testdata (when present) and tests/fuzz_regressions/<target>.
# Inputs that crash are kept in <build>/fuzz/findings/<target>; the script then fails.
set -euo pipefail
seconds=${1:?usage: tools/fuzz/run.sh <seconds> [target...]}
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(settings level ms3d image scores)
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
build=${TRELVIK_FUZZ_BUILD:-build-asan}
parallel=${TRELVIK_FUZZ_PARALLEL:-2}
testdata=$root/../shared/testdata

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTRELVIK_SANITIZE=ON \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
fi
if ! grep -q '^TRELVIK_FUZZ:BOOL=ON' "$build/CMakeCache.txt" ||
    ! grep -q '^CMAKE_CXX_COMPILER:.*clang' "$build/CMakeCache.txt"; then
    echo "$build is not a clang build with TRELVIK_FUZZ=ON; set TRELVIK_FUZZ_BUILD to one" >&2
    exit 1
fi
cmake --build "$build" --target trelvik-fuzz trelvik-data

work=$build/fuzz
run=$build/run

# Copies the files of the given kinds (by ending) from the given folders into a seed folder.
seed() {
    local out=$1 endings=$2
    shift 2
    local dir ending
    for dir in "$@"; do
        [ -d "$dir" ] || continue
        for ending in $endings; do
            find "$dir" -type f -iname "*.$ending" -exec cp -t "$out" {} + 2>/dev/null || true
        done
    done
}

run_target() {
    local target=$1
    local seeds=$work/seeds/$target corpus=$work/corpus/$target findings=$work/findings/$target
    rm -rf "$seeds" "$findings"
    mkdir -p "$seeds" "$corpus" "$findings"
    case $target in
    settings) seed "$seeds" ini "$run" "$testdata" ;;
    level) seed "$seeds" map "$run/data" "$testdata" ;;
    ms3d) seed "$seeds" ms3d "$run/data" "$testdata" ;;
    image) seed "$seeds" "png jpg jpeg tga bmp" "$run/data" "$testdata" ;;
    # No game data holds a table: one the game would write, fewer initials and a spaced name included.
    scores) printf 'trelvik-scores 1\n9000 4 AB 1765275300 7.1 Harbour\n500 1 - 1765275200 7.2 Old Town\nend 2\n' \
        >"$seeds/two-runs" ;;
    esac
    [ -d "tests/fuzz_regressions/$target" ] && cp -r "tests/fuzz_regressions/$target/." "$seeds/"
    local options=(-max_total_time="$seconds" -timeout=10 -print_final_stats=1 -artifact_prefix="$findings/")
    [ -f "tools/fuzz/$target.dict" ] && options+=(-dict="tools/fuzz/$target.dict")
    # Long level files only slow the search down; what matters fits in a few lines.
    [ "$target" = level ] && options+=(-max_len=4096)
    "$work/fuzz_$target" "${options[@]}" "$corpus" "$seeds" >"$work/$target.log" 2>&1 || true
}

mkdir -p "$work"
running=0
for target in "${targets[@]}"; do
    if [ ! -x "$work/fuzz_$target" ]; then
        echo "no fuzz target $target" >&2
        exit 1
    fi
    if [ "$running" -ge "$parallel" ]; then
        wait -n
        running=$((running - 1))
    fi
    run_target "$target" &
    running=$((running + 1))
done
wait

failed=0
for target in "${targets[@]}"; do
    log=$work/$target.log
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    corpus=$(find "$work/corpus/$target" -type f | wc -l)
    found=$(find "$work/findings/$target" -type f | wc -l)
    printf 'fuzz %-8s %10s executions in %ss (%s/s), corpus %d, findings %d\n' \
        "$target" "${runs:-?}" "$seconds" "${rate:-?}" "$corpus" "$found"
    if [ "$found" -gt 0 ] || [ -z "$runs" ]; then
        failed=1
        echo "  see $log and $work/findings/$target" >&2
        grep -m 5 -E 'ERROR|SUMMARY|fuzz check failed' "$log" >&2 || true
    fi
done
exit $failed
