#!/usr/bin/env bash
# The longest time the viewer's user-interface thread is kept from its events while it opens,
# plays, pauses at frame 0, seeks, steps to the next recording and changes its size, on a
# generated card in the real main window on a virtual X server, with the map shown (tiles from
# a server on the loopback address inside the benchmark), then again without the web engine.
# Goal: 20 ms or less.
# Builds nothing: give the build directory (default: build).
#
# Usage: bench/ui-stall.sh [BUILD_DIR]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
exe=$build/bin/viewer_ui_stall
if [ ! -x "$exe" ]; then
    echo "ui-stall.sh: $exe is missing; build the project (with Qt 6) first" >&2
    exit 1
fi
for run in "with the map" "without the map"; do
    echo "$run:"
    option=()
    [ "$run" = "without the map" ] && option=(--no-map)
    SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} TZ=${TZ:-Asia/Tokyo} \
        xvfb-run -a -s "-screen 0 1920x1080x24 -dpi 96" "$exe" "${option[@]}" 2> >(grep '^viewer_ui_stall' >&2)
done
