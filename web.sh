#!/usr/bin/env bash
# Builds the game for the browser: ./web.sh writes build-web/site/, a folder of static files
# (index.html, trelvik.html, trelvik-solo.html and their .js, .wasm and .data) that any static
# web server serves, e.g. `python3 -m http.server -d build-web/site 8000`, then open
# http://127.0.0.1:8000/. ./web.sh --serve builds and serves it on 127.0.0.1:8000.
# Installs the Debian packages it lacks (emscripten, node-acorn for its optimiser, and what the
# native build needs: the data is made by the native generator in build/).
set -euo pipefail
cd "$(dirname "$0")"
serve=false
case "${1:-}" in
    --serve) serve=true ;;
    "") ;;
    *) echo "usage: ./web.sh [--serve]" >&2; exit 1 ;;
esac

[ -n "${TRELVIK_WEB_DATA:-}" ] || tools/install-deps.sh play
missing=()
for package in emscripten node-acorn; do
    [ "$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)" = "install ok installed" ] || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The data: the native generator's output, the same bytes the native game reads; a data folder
# already made may be named in TRELVIK_WEB_DATA instead (the test suite names its own build's).
data=${TRELVIK_WEB_DATA:-}
if [ -z "$data" ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j"$(nproc)" --target trelvik-data
    data=$PWD/build/run/data
fi

# Debian's emscripten optimises with Debian's acorn, which its own Node.js finds by this path.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release -DTRELVIK_WEB_DATA="$data" >/dev/null
cmake --build build-web -j"$(nproc)"
echo "The pages are in build-web/site/ (index.html, trelvik.html, trelvik-solo.html)."

if $serve; then
    echo "Serving them on http://127.0.0.1:8000/ (Ctrl+C ends)"
    exec python3 -m http.server --bind 127.0.0.1 --directory build-web/site 8000
fi
