#!/usr/bin/env bash
# Installs the Debian packages that are missing for building and playing the game (play), or for
# that and running the whole test suite, the sanitizer build, the fuzzers and the package build
# and its checks, the game on sdl12-compat and the browser build in headless Chromium included (test).
# apt-get needs root: run as root, or have sudo.
# Usage: tools/install-deps.sh play|test
set -euo pipefail
play_packages=(
    build-essential cmake ninja-build pkg-config
    libsdl1.2-dev libsdl-image1.2-dev libsdl-mixer1.2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri
    libstb-dev libsndfile1-dev fonts-dejavu-core
)
test_packages=(
    clang libclang-rt-14-dev libgtest-dev libbenchmark-dev
    xvfb xdotool x11-utils imagemagick desktop-file-utils valgrind python3 python3-xlib gnuplot-nox
    dpkg-dev debhelper lintian appstream man-db libsdl1.2-compat
    emscripten node-acorn node-ws chromium
)
case "${1:-}" in
    play) packages=("${play_packages[@]}") ;;
    test) packages=("${play_packages[@]}" "${test_packages[@]}") ;;
    *) echo "usage: tools/install-deps.sh play|test" >&2; exit 1 ;;
esac
missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    sudo=()
elif command -v sudo >/dev/null; then
    sudo=(sudo)
else
    echo "These Debian packages are missing and installing them needs root: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
