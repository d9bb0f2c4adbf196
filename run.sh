#!/usr/bin/env bash
# Installs what is missing, builds Kestrel and starts the viewer on PATH (a folder or a
# movie). Without PATH it opens an inserted card or the source chosen last; when nothing was
# ever chosen, the demo card the build makes stands in for a card.
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
if [ -z "${KESTREL_REMOVABLE_ROOTS:-}" ] &&
    ! grep -qE '^(FOLDER|FILE)=.' Default_Folder.ini 2>/dev/null; then
    export KESTREL_REMOVABLE_ROOTS=$PWD/demo
fi
exec bin/kestrel
