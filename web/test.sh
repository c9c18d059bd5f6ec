#!/usr/bin/env bash
# The browser build's end-to-end test: builds the pages (./web.sh, incremental) and plays them in
# headless Chromium (web/browser_test.js). Skips (status 77) where Emscripten, Chromium or
# Debian's node-ws is missing (the test command installs them; a suite run without it may not).
# Usage: web/test.sh <run directory with data/> [screenshot folder]
set -uo pipefail
run_dir=$(realpath "${1:?usage: web/test.sh <run directory> [screenshot folder]}")
shots=$(realpath -m "${2:-build-web/screenshots}")
cd "$(dirname "$0")/.."
missing=()
command -v emcc >/dev/null || missing+=(emscripten)
[ -x /usr/bin/chromium ] || missing+=(chromium)
command -v node >/dev/null || missing+=(nodejs)
[ -e /usr/share/nodejs/ws ] || missing+=(node-ws)
[ -e /usr/share/nodejs/acorn ] || missing+=(node-acorn)
if [ ${#missing[@]} -gt 0 ]; then
    echo "SKIP: the browser test needs the Debian packages: ${missing[*]} (apt-get install emscripten node-acorn chromium node-ws)"
    exit 77
fi
log=$(mktemp)
TRELVIK_WEB_DATA=$run_dir/data ./web.sh >"$log" 2>&1 || { echo "FAIL: ./web.sh did not build the pages:"; tail -20 "$log"; rm -f "$log"; exit 1; }
rm -f "$log"
NODE_PATH=/usr/share/nodejs node web/browser_test.js build-web/site "$shots"
