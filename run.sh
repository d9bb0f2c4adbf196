#!/usr/bin/env bash
# Installs what is missing, builds Kestrel and starts the viewer on PATH (a card, a folder or
# a movie). Opening PATH is not built yet: the viewer starts with nothing open.
set -euo pipefail
target=""
if [ $# -gt 0 ]; then
    target=$(realpath -m -- "$1")
fi
cd "$(dirname "$0")"
source scripts/deps.sh
kestrel_install_deps
kestrel_configure RelWithDebInfo
cmake --build build -j"$(nproc)"

# The viewer keeps its settings file in the folder it starts in: here, build/.
cd build
if [ -n "$target" ]; then
    exec bin/kestrel "$target"
fi
exec bin/kestrel
