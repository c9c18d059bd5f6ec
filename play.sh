#!/usr/bin/env bash
# Builds the game and its data and starts it: ./play.sh for two players, ./play.sh --solo for one.
# Installs only the Debian packages that building and playing need; the test command does the rest.
set -euo pipefail
cd "$(dirname "$0")"
program=trelvik
case "${1:-}" in
    --solo) program=trelvik-solo ;;
    "") ;;
    *) echo "usage: ./play.sh [--solo]" >&2; exit 1 ;;
esac
tools/install-deps.sh play
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target trelvik trelvik-solo trelvik-data
cd build/run
exec "./$program"
