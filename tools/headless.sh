#!/usr/bin/env bash
# Runs a command under a private virtual X display (Xvfb with Mesa's software OpenGL) and SDL's
# dummy audio driver. The server picks a free display itself, so parallel runs never collide.
# Usage: tools/headless.sh command [args...]
set -u
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset +extension GLX 3>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
display=$(head -n 1 <"$fifo")
rm -f "$fifo"
if [ -z "$display" ]; then
    echo "headless: Xvfb did not start" >&2
    exit 1
fi
trap 'kill $xvfb_pid 2>/dev/null; wait $xvfb_pid 2>/dev/null' EXIT
export DISPLAY=":$display"
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
export LIBGL_ALWAYS_SOFTWARE=1
"$@"
