#!/usr/bin/env bash
# Installs what is missing, builds Kestrel and starts it on PATH (a card, a folder or a movie).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
kestrel_install_deps
kestrel_configure RelWithDebInfo
cmake --build build -j"$(nproc)"

target="${1:-build/demo}"
echo "The viewer window is not built yet; here is the catalogue of $target:"
exec build/bin/kestrel-cli list "$target"
