#!/usr/bin/env bash
# Times the viewer from process start to its window shown on the screen, and its shutdown,
# on one virtual X server: each run starts kestrel in a fresh empty working directory (a first
# run), waits for the window to be exposed, closes it through the close command and exits.
# Builds nothing: give the build directory (default: build).
#
# Usage: bench/app-start.sh [BUILD_DIR] [RUNS]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
runs=${2:-10}
kestrel=$build/bin/kestrel
if [ ! -x "$kestrel" ]; then
    echo "app-start.sh: $kestrel is missing; build the project first" >&2
    exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/kestrel-start.XXXXXX")
trap 'rm -rf "$work"' EXIT

cat > "$work/runs.sh" <<'INNER'
#!/usr/bin/env bash
set -euo pipefail
kestrel=$1; runs=$2; work=$3
for i in $(seq "$runs"); do
    dir=$work/run$i
    mkdir -p "$dir"
    cd "$dir"
    start=$(date +%s%N)
    KESTREL_SMOKE=1 "$kestrel" 2> "$dir/err"
    end=$(date +%s%N)
    shown=$(sed -n 's/.*(\([0-9-]*\) ms since the process started).*/\1/p' "$dir/err")
    down=$(sed -n 's/kestrel: shutdown took \([0-9-]*\) ms/\1/p' "$dir/err")
    echo "$shown $down $(( (end - start) / 1000000 ))"
done
INNER
chmod +x "$work/runs.sh"

# The map asks a closed port on the loopback address for its tiles, never the internet.
KESTREL_TILE_URL='http://127.0.0.1:9/{z}/{x}/{y}.png' \
    xvfb-run -a -s "-screen 0 1920x1080x24 -dpi 96" "$work/runs.sh" "$kestrel" "$runs" "$work" \
    > "$work/times"

# Median and worst of column $1 of the runs.
summary() {
    cut -d' ' -f"$1" "$work/times" | sort -n | awk '{ v[NR] = $1 } END { printf "median %d ms, worst %d ms", v[int((NR + 1) / 2)], v[NR] }'
}
echo "runs: $(wc -l < "$work/times")"
echo "process start to window shown:       $(summary 1)"
echo "shutdown (close command to its end): $(summary 2)"
echo "whole run (exec to exit):            $(summary 3)"
