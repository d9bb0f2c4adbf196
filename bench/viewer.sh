#!/usr/bin/env bash
# Viewer figures in the real main window on a virtual X server: the time from a click on a
# list row to the first picture of that recording (the 500 ms open delay included), and the
# viewer's CPU use while it plays a generated 1080p recording. Builds nothing: give the build
# directory (default: build).
#
# Usage: bench/viewer.sh [BUILD_DIR]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
exe=$build/bin/viewer_playback
if [ ! -x "$exe" ]; then
    echo "viewer.sh: $exe is missing; build the project (with Qt 6) first" >&2
    exit 1
fi
SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} TZ=${TZ:-Asia/Tokyo} \
    xvfb-run -a -s "-screen 0 1920x1080x24 -dpi 96" "$exe"
