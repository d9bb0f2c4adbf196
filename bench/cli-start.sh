#!/usr/bin/env bash
# The start-up cost of kestrel-cli: 50 starts of `kestrel-cli list EMPTY_FOLDER` against 50
# starts of a minimal C++ program built in this run with the same compiler, and their ratio.
# Goal: 2x or less. Builds nothing of the project: give the build directory (default: build).
#
# Usage: bench/cli-start.sh [BUILD_DIR] [STARTS]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
starts=${2:-50}
cli=$build/bin/kestrel-cli
if [ ! -x "$cli" ]; then
    echo "cli-start.sh: $cli is missing; build the project first" >&2
    exit 1
fi
cxx=${CXX:-c++}

work=$(mktemp -d "${TMPDIR:-/tmp}/kestrel-cli-start.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/empty"
# The minimal program links the C++ runtime as kestrel-cli does and prints a line.
cat >"$work/minimal.cpp" <<'CPP'
#include <cstdio>
#include <string>
int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : "";
    std::printf("%s\n", folder.c_str());
    return 0;
}
CPP
"$cxx" -O2 -o "$work/minimal" "$work/minimal.cpp"

"$cli" list "$work/empty" >/dev/null || {
    echo "cli-start.sh: kestrel-cli list failed on an empty folder" >&2
    exit 1
}

now() {
    if [ -n "${EPOCHREALTIME:-}" ]; then echo "${EPOCHREALTIME/,/.}"; else date +%s.%N; fi
}
# Total wall time in milliseconds of STARTS runs of the command.
starts_ms() {
    local t0 t1
    t0=$(now)
    for ((i = 0; i < starts; i++)); do
        "$@" >/dev/null
    done
    t1=$(now)
    awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.2f\n", (b - a) * 1000 }'
}

# Warm the page cache and the dynamic loader's caches.
for ((i = 0; i < 5; i++)); do
    "$work/minimal" "$work/empty" >/dev/null
    "$cli" list "$work/empty" >/dev/null
done

# Interleaved rounds so that both see the same load on the machine; the medians are taken.
minimal_runs=()
cli_runs=()
for round in 1 2 3; do
    minimal_runs+=("$(starts_ms "$work/minimal" "$work/empty")")
    cli_runs+=("$(starts_ms "$cli" list "$work/empty")")
done
median() { printf '%s\n' "$@" | sort -n | sed -n 2p; }
minimal_ms=$(median "${minimal_runs[@]}")
cli_ms=$(median "${cli_runs[@]}")

libraries=$(readelf -d "$cli" | grep -c NEEDED || true)
printf '%-36s %8.2f ms for %d starts (%.2f ms each)\n' "minimal C++ program" "$minimal_ms" \
    "$starts" "$(awk -v t="$minimal_ms" -v n="$starts" 'BEGIN { print t / n }')"
printf '%-36s %8.2f ms for %d starts (%.2f ms each; %d libraries needed)\n' \
    "kestrel-cli list EMPTY_FOLDER" "$cli_ms" "$starts" \
    "$(awk -v t="$cli_ms" -v n="$starts" 'BEGIN { print t / n }')" "$libraries"
awk -v c="$cli_ms" -v m="$minimal_ms" \
    'BEGIN { printf "ratio kestrel-cli / minimal: %.2f, goal 2.00 or less\n", c / m }'
