#!/usr/bin/env bash
# Builds everything and runs the whole test suite headless: first the normal build, then the Debian
# packages (built, linted, unpacked and played: tools/package-check.sh), then the same suite built
# with AddressSanitizer and UndefinedBehaviorSanitizer (clang), a short run of each fuzz target
# (15 s), then 60 s of random play of each sanitized program (tools/soak.sh; the ten-minute
# runs are made by hand).
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh test
jobs=$(nproc)
# Each stage says when it starts, in seconds since the command began: the whole should stay
# within 20 minutes on 2 cores.
stage() { echo "test.sh: ${SECONDS} s: $*"; }

stage "the normal build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
stage "the suite in the normal build"
tools/headless.sh ctest --test-dir build --no-tests=error --output-on-failure -j"$jobs"
# The Debian packages, built from a copy into build-deb/, linted, unpacked and played.
stage "the Debian packages"
tools/package-check.sh build-deb

stage "the sanitizer build"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTRELVIK_SANITIZE=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-asan -j"$jobs"
# The long scripted games (scrolling, firing, game over, the boss fight, the pad, pause and keys), the autopilots'
# flights and the game on sdl12-compat play the same rules as in the normal build; here the real
# programs are covered by the soak below.
# A test whose only fault is LeakSanitizer's own tracer crashing at exit ("Tracer caught signal 11
# ... LeakSanitizer has encountered a fatal error"), as it did now and then before the runtime's
# __tls_get_addr interceptor was switched off (src/kernel/sanitizer_options.cpp), runs up to twice
# more, and each such rerun is printed; any other failure fails the run at once.
stage "the suite in the sanitizer build"
tools/headless.sh tools/ctest-sanitized.sh build-asan -j"$jobs" \
    -E 'e2e\.(boss|gameover|fire|scroll|play|gamepad|pause_keys|sdl12compat)_test'

# A short run of each fuzz target (the long runs are made by hand: tools/fuzz/run.sh 600).
stage "fuzzing"
tools/fuzz/run.sh 15

# Both programs side by side, each on its own virtual display.
stage "the soaks"
tools/soak.sh build-asan/run/trelvik 60 30 >build-asan/soak-trelvik.txt 2>&1 &
soak_two=$!
tools/soak.sh build-asan/run/trelvik-solo 60 30 >build-asan/soak-trelvik-solo.txt 2>&1 &
soak_one=$!
soak_status=0
wait $soak_two || soak_status=1
wait $soak_one || soak_status=1
cat build-asan/soak-trelvik.txt build-asan/soak-trelvik-solo.txt
stage "done"
exit $soak_status
