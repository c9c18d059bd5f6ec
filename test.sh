#!/usr/bin/env bash
# Builds everything and runs the whole test suite headless: first the normal build, then the same
# suite built with AddressSanitizer and UndefinedBehaviorSanitizer (clang), then every fuzz target
# for 20 seconds.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
tools/headless.sh ctest --test-dir build --output-on-failure -j"$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTRELVIK_SANITIZE=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-asan -j"$jobs"
tools/headless.sh ctest --test-dir build-asan --output-on-failure -j"$jobs"

tools/fuzz/run.sh 20
