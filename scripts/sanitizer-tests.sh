#!/usr/bin/env bash
# Builds the engine, player and tool tests with AddressSanitizer and UndefinedBehaviorSanitizer
# in a build folder of their own (build-sanitize) and runs them, the fuzz regressions (part of
# engine_tests) included, so that a memory fault or undefined behaviour fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
kestrel_install_deps

folder=build-sanitize
if [ ! -f "$folder/build.ninja" ]; then
    cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTREL_SANITIZE=ON \
        -DKESTREL_BENCH=OFF
fi
cmake --build "$folder" -j"$(nproc)" --target engine_tests playback_tests tool_tests

export SDL_AUDIODRIVER=dummy
export TZ="${TZ:-Asia/Tokyo}"
# The first report ends the test binary with a failure.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan-libs.supp:print_suppressions=0"
status=0
for suite in engine_tests playback_tests tool_tests; do
    echo "== $suite (sanitizers)"
    "$folder/bin/$suite" --gtest_brief=1 || status=1
done
exit "$status"
