#!/usr/bin/env bash
# Viewer figures in the real main window on a virtual X server: the time from a click on a
# list row to the first picture of that recording (the 500 ms open delay included), and the
# CPU use of all the viewer's processes while it plays a generated 1080p recording, against
# the engine alone playing the same recording in the same run: without recorder data, with
# every data view live, and with the map shown (tiles from a server on the loopback address
# inside the benchmark). No run reaches the internet. Builds nothing: give the build
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
out=$(mktemp "${TMPDIR:-/tmp}/kestrel-viewer.XXXXXX")
trap 'rm -f "$out"' EXIT

# Tiles come from the loopback address only: a closed port unless a run serves its own.
export KESTREL_TILE_URL='http://127.0.0.1:9/{z}/{x}/{y}.png'
failed=0
for mode in click engine nodata views map; do
    if ! SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} TZ=${TZ:-Asia/Tokyo} \
        xvfb-run -a -s "-screen 0 1920x1080x24 -dpi 96" "$exe" "$mode" 2> >(grep '^viewer_playback' >&2) |
        tee -a "$out" | grep -v '^making'; then
        echo "viewer.sh: the $mode run failed" >&2
        failed=1
    fi
done

# The share of one core of a mode's result line.
cpu() { sed -n "s/^result $1: \([0-9.]*\) %.*/\1/p" "$out"; }
ratio() {
    awk -v a="$(cpu "$1")" -v b="$(cpu "$2")" -v goal="$3" 'BEGIN {
        if (a == "" || b == "" || b == 0) { print "not measured"; exit }
        r = a / b
        printf "%.2fx (goal at most %.1fx: %s)\n", r, goal, r <= goal ? "met" : "NOT met" }'
}
echo "no recorder data against the engine alone:   $(ratio nodata engine 1.3)"
echo "views live against the engine alone:        $(ratio views engine 1.3)"
echo "views live against no recorder data:        $(ratio views nodata 1.2)"
echo "map shown against the same without the map: $(ratio map views 1.3)"
late=$(sed -n 's/^result [a-z]*: .*late pictures: \([0-9]*\)$/\1/p' "$out" |
    awk '{ n += $1 } END { print n + 0 }')
echo "late pictures over all runs: $late (goal 0: $([ "$late" = 0 ] && echo met || echo NOT met))"
exit $failed
