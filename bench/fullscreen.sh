#!/usr/bin/env bash
# A double click to full screen and back, timed to the picture painted, against the size
# command in the same run; the real main window on a virtual X server. Builds nothing: give
# the build directory (default: build) and the number of rounds (default: 9).
#
# Usage: bench/fullscreen.sh [BUILD_DIR] [ROUNDS]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
rounds=${2:-9}
exe=$build/bin/viewer_fullscreen
if [ ! -x "$exe" ]; then
    echo "fullscreen.sh: $exe is missing; build the project (with Qt 6) first" >&2
    exit 1
fi
# The map asks a closed port on the loopback address for its tiles, never the internet.
KESTREL_TILE_URL='http://127.0.0.1:9/{z}/{x}/{y}.png' \
    SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} TZ=${TZ:-Asia/Tokyo} \
    xvfb-run -a -s "-screen 0 1920x1080x24 -dpi 96" "$exe" "$rounds"
