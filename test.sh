#!/usr/bin/env bash
# Installs what is missing, builds Kestrel and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
kestrel_install_deps

werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
kestrel_configure RelWithDebInfo -DKESTREL_WERROR="$werror"
cmake --build build -j"$(nproc)"

export SDL_AUDIODRIVER=dummy
export TZ="${TZ:-Asia/Tokyo}"
cd build
ctest --output-on-failure -j"$(nproc)" "$@"
