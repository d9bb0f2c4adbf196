#!/usr/bin/env bash
# Player figures on a generated 1080p30 H.264 movie of 20 seconds with a key frame every 30
# pictures: OpenMovie to ready, SeekToFrame to the picture on the screen over 50 random
# frames (against libavcodec decoding from the key frame to the same pictures), and the CPU
# time of playing it at normal speed against ffmpeg decoding it. Then the seeks again on a
# dense movie of the same size (moving noise at about 12 Mbit/s).
# Builds nothing: give the build directory (default: build).
#
# Usage: bench/playback.sh [BUILD_DIR] [MOVIE [DENSE_MOVIE]]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
for exe in "$build/bin/kestrel-mkrec" "$build/bin/playback"; do
    if [ ! -x "$exe" ]; then
        echo "playback.sh: $exe is missing; build the project first" >&2
        exit 1
    fi
done
movie=${2:-}
dense=${3:-}
dir=$(mktemp -d "${TMPDIR:-/tmp}/kestrel-playback.XXXXXX")
trap 'rm -rf "$dir"' EXIT
if [ -z "$movie" ]; then
    movie=$dir/BENCH1080.MOV
    echo "making $movie (1920x1080, 20 s, key frame every 30) ..."
    "$build/bin/kestrel-mkrec" movie "$movie" --seconds 20 --size 1920x1080 --gop 30
fi
SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} "$build/bin/playback" "$movie"
if [ -z "$dense" ]; then
    dense=$dir/DENSE1080.MOV
    echo "making $dense (1920x1080 moving noise, 20 s, key frame every 30) ..."
    "$build/bin/kestrel-mkrec" movie "$dense" --seconds 20 --size 1920x1080 --gop 30 --dense
fi
echo "dense pictures:"
SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} "$build/bin/playback" "$dense" --only seek
