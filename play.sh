#!/usr/bin/env bash
# Builds everything and starts the game: ./play.sh for two players, ./play.sh --solo for one.
set -euo pipefail
cd "$(dirname "$0")"
program=trelvik
case "${1:-}" in
    --solo) program=trelvik-solo ;;
    "") ;;
    *) echo "usage: ./play.sh [--solo]" >&2; exit 1 ;;
esac
tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
cd build/run
exec "./$program"
