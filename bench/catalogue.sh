#!/usr/bin/env bash
# Times `kestrel-cli list --flat` over a tree of 10,000 small recorder files (10 folders of
# 1,000) against catalogue_baseline, which only walks the tree and reads each file's head
# and trailer. Builds nothing: give the build directory (default: build).
#
# Usage: bench/catalogue.sh [BUILD_DIR] [RUNS]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
runs=${2:-15}
cli=$build/bin/kestrel-cli
baseline=$build/bin/catalogue_baseline
for exe in "$cli" "$baseline"; do
    if [ ! -x "$exe" ]; then
        echo "catalogue.sh: $exe is missing; build the project first" >&2
        exit 1
    fi
done

tree=$(mktemp -d "${TMPDIR:-/tmp}/kestrel-catalogue.XXXXXX")
trap 'rm -rf "$tree"' EXIT

# 300 bytes: a box header with "ftyp" at bytes 4..7, padding, and the 18-byte trailer.
pad=$(printf '%270s' '' | tr ' ' 'x')
content="\\0\\0\\0\\030ftypqt  ${pad}CSNEND000000000000"
letters=(A A A A A G M P S T)
echo "making 10,000 files in $tree ..."
for folder in 0 1 2 3 4 5 6 7 8 9; do
    dir="$tree/10${folder}REC"
    mkdir -p "$dir"
    for ((i = 0; i < 1000; i++)); do
        printf -v name '2305%02d_%02d%02d%02d_%s.MOV' $((folder + 1)) $((i / 60 % 24)) $((i % 60)) \
            $((i / 100)) "${letters[i % 10]}"
        printf "$content" >"$dir/$name"
    done
done

listed=$("$cli" list --flat "$tree" | wc -l)
accepted=$("$baseline" "$tree")
if [ "$listed" -ne 10000 ] || [ "$accepted" -ne 10000 ]; then
    echo "catalogue.sh: expected 10000 recordings, kestrel-cli listed $listed, baseline $accepted" >&2
    exit 1
fi

now() {
    if [ -n "${EPOCHREALTIME:-}" ]; then echo "${EPOCHREALTIME/,/.}"; else date +%s.%N; fi
}

# Median and mean wall time in milliseconds of RUNS runs of the command.
measure() {
    local times=() t0 t1
    for ((r = 0; r < runs; r++)); do
        t0=$(now)
        "$@" >/dev/null
        t1=$(now)
        times+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", (b - a) * 1000 }')")
    done
    printf '%s\n' "${times[@]}" | sort -n | awk '
        { v[NR] = $1; sum += $1 }
        END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2;
              printf "%.2f %.2f\n", m, sum / NR }'
}

# Warm the page cache and the directory cache.
for ((r = 0; r < 3; r++)); do
    "$baseline" "$tree" >/dev/null
    "$cli" list --flat "$tree" >/dev/null
done

if command -v hyperfine >/dev/null 2>&1; then
    hyperfine -N --warmup 3 --runs "$runs" "$baseline $tree" "$cli list --flat $tree" \
        "$cli list --flat --json $tree"
fi

read -r base_median base_mean < <(measure "$baseline" "$tree")
read -r flat_median flat_mean < <(measure "$cli" list --flat "$tree")
read -r json_median json_mean < <(measure "$cli" list --flat --json "$tree")

printf '%-34s median %8.2f ms  mean %8.2f ms\n' "baseline (open + head + trailer)" \
    "$base_median" "$base_mean"
printf '%-34s median %8.2f ms  mean %8.2f ms\n' "kestrel-cli list --flat" "$flat_median" "$flat_mean"
printf '%-34s median %8.2f ms  mean %8.2f ms\n' "kestrel-cli list --flat --json" "$json_median" \
    "$json_mean"
awk -v b="$base_median" -v f="$flat_median" -v j="$json_median" \
    'BEGIN { printf "ratio list --flat / baseline: %.2f (json: %.2f), goal 1.30 or less\n", f / b, j / b }'
