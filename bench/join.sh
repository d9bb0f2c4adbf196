#!/usr/bin/env bash
# Times `kestrel-cli join` of ten recordings of about 50 MB each against a plain copy of the
# same bytes into one file (cat IN* > OUT) and against FFmpeg's concat demuxer with stream
# copy, in one run, all files on one disk, the inputs in the page cache. The join is timed
# twice: as it runs (the output and its folder flushed to the storage before it reports
# success) and with --no-flush, which gives the cost of that flush.
# Builds nothing: give the build directory (default: build).
#
# Usage: bench/join.sh [BUILD_DIR] [RUNS] [WORK_DIR]
#   WORK_DIR (default bench/results/join) keeps the generated base recording between runs.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
runs=${2:-5}
work=${3:-$here/results/join}
cli=$build/bin/kestrel-cli
mkrec=$build/bin/kestrel-mkrec
for exe in "$cli" "$mkrec"; do
    if [ ! -x "$exe" ]; then
        echo "join.sh: $exe is missing; build the project first" >&2
        exit 1
    fi
done
command -v ffmpeg >/dev/null || { echo "join.sh: ffmpeg is missing" >&2; exit 1; }
mkdir -p "$work"
cd "$work"

# One 1080p recording with PCM sound comes to about 50 MB in 180 seconds; the ten inputs are
# copies of it under the recorder's names (the join only needs equal track layouts).
if [ ! -f base.MOV ]; then
    echo "making the base recording (about a minute) ..."
    "$mkrec" movie base.MOV --seconds 180 --size 1920x1080 --audio pcm \
        --start "2024-05-01 10:00:00" >/dev/null
fi
inputs=()
: >concat.txt
for i in 0 1 2 3 4 5 6 7 8 9; do
    name=$(printf '240501_10%02d00_A.MOV' $((i * 3)))
    [ -f "$name" ] || cp base.MOV "$name"
    inputs+=("$name")
    echo "file '$PWD/$name'" >>concat.txt
done
total=$(cat "${inputs[@]}" | wc -c)
echo "inputs: ${#inputs[@]} files, $((total / 1048576)) MiB in $PWD"
cat "${inputs[@]}" >/dev/null # warm the page cache

now() { date +%s.%N; }
# Runs the command once after the previous outputs are gone and written back, and prints
# its time in seconds.
timed() {
    rm -f out.cat out.join.MOV out.nf.MOV out.ffmpeg.MOV
    sync
    local start end
    start=$(now)
    "$@"
    end=$(now)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f\n", b - a }'
}
run_cat() { cat "${inputs[@]}" >out.cat; }
run_join() { "$cli" join -o out.join.MOV "${inputs[@]}" >/dev/null 2>&1; }
run_join_noflush() { "$cli" join --no-flush -o out.nf.MOV "${inputs[@]}" >/dev/null 2>&1; }
run_ffmpeg() { ffmpeg -v error -f concat -safe 0 -i concat.txt -c copy -y out.ffmpeg.MOV; }

best() { printf '%s\n' "$@" | sort -g | head -1; }
cats=() joins=() noflushes=() ffmpegs=()
for ((r = 1; r <= runs; r++)); do
    cats+=("$(timed run_cat)")
    joins+=("$(timed run_join)")
    noflushes+=("$(timed run_join_noflush)")
    ffmpegs+=("$(timed run_ffmpeg)")
done
run_join
joined=$(stat -c %s out.join.MOV)
rm -f out.cat out.join.MOV out.nf.MOV out.ffmpeg.MOV

c=$(best "${cats[@]}")
j=$(best "${joins[@]}")
n=$(best "${noflushes[@]}")
f=$(best "${ffmpegs[@]}")
echo "best of $runs runs (seconds):"
printf '  cat IN* > OUT          %.3f\n' "$c"
printf '  kestrel-cli join       %.3f   (output %d MiB)\n' "$j" $((joined / 1048576))
printf '  join --no-flush        %.3f\n' "$n"
printf '  ffmpeg concat -c copy  %.3f\n' "$f"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "join / join --no-flush = $(ratio "$j" "$n") (the cost of flushing to the storage)"
echo "join --no-flush / cat = $(ratio "$n" "$c") (goal: at most 1.2)"
echo "join / cat    = $(ratio "$j" "$c") (cat flushes nothing)"
echo "join / ffmpeg = $(ratio "$j" "$f") (goal: below 1)"
