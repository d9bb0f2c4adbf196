#!/usr/bin/env bash
# Builds one libFuzzer target with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# it for the given number of seconds on a seed corpus of small recorder movies (made with
# kestrel-mkrec when it is built) plus the inputs that once failed.
#
# Usage: tests/fuzz/run.sh open_and_analyse|read_header_only|box_tree|record_decode SECONDS [BUILD_DIR]
# Crashes are written to BUILD_DIR/crashes/TARGET/; copy a fixed one into
# tests/fuzz/regressions/TARGET/ so that the test suite replays it.
set -euo pipefail

target=${1:?usage: run.sh TARGET SECONDS [BUILD_DIR]}
seconds=${2:?usage: run.sh TARGET SECONDS [BUILD_DIR]}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${3:-$root/build-fuzz}

case "$target" in
open_and_analyse | read_header_only | box_tree | record_decode) ;;
*) echo "run.sh: unknown target '$target'" >&2; exit 2 ;;
esac

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
fi
cmake --build "$build" --target "fuzz_$target"

corpus=$build/corpus/$target
crashes=$build/crashes/$target
mkdir -p "$corpus" "$crashes"

# Seeds: tiny movies, good and damaged, from the most recently built generator.
mkrec=${KESTREL_MKREC:-}
if [ -z "$mkrec" ]; then
    mkrec=$(ls -t "$root"/build/bin/kestrel-mkrec "$root"/build-*/bin/kestrel-mkrec 2>/dev/null |
        head -n 1 || true)
fi
if [ -n "$mkrec" ] && [ ! -f "$corpus/.seeded" ]; then
    seed() {
        local name=$1
        shift
        if "$mkrec" movie "$corpus/$name.MOV" --seconds 0.2 --size 32x32 --no-audio --records 3 \
            "$@" >/dev/null 2>&1; then
            touch "$corpus/.seeded"
        else
            echo "run.sh: could not make seed $name with $mkrec" >&2
        fi
    }
    seed plain
    seed chained --chained-headers 2
    seed before --udat-before-mdat
    seed noudat --no-udat
    seed invalid --mode-letter X
    seed cut --truncate 1500
    if [ "$target" = record_decode ]; then
        # This target takes the recorder's header and records alone: the seeds keep the
        # bytes of their data box from the header on, without the record count.
        for movie in "$corpus"/*.MOV; do
            at=$(grep -obUa CSNDAT "$movie" | head -n 1 | cut -d: -f1 || true)
            if [ -n "$at" ]; then
                { tail -c +$((at + 7)) "$movie" | head -c 28
                  tail -c +$((at + 37)) "$movie"; } >"${movie%.MOV}.rec"
            fi
            rm -f "$movie"
        done
    fi
fi
if [ -z "$mkrec" ]; then
    echo "run.sh: kestrel-mkrec is not built; seeding with the regression inputs only" >&2
fi

"$build/fuzz_$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -rss_limit_mb=2048 -dict="$here/boxes.dict" -artifact_prefix="$crashes/" \
    -print_final_stats=1 "$corpus" "$here/regressions/$target"
