#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, runs the game core's tests in a second, small
# build with ThreadSanitizer, then runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVAT_SANITIZE=ON -DKORVAT_WERROR=ON
cmake --build build-test
export QT_QPA_PLATFORM=offscreen

# The core and its tests alone with ThreadSanitizer, for the games played
# on several threads at once (random play of every game, which runs on one
# thread, is left to the build above).
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVAT_TSAN=ON -DKORVAT_WERROR=ON \
  -DKORVAT_BENCH=OFF >/dev/null
cmake --build build-tsan --target korvat-core-tests
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" build-tsan/bin/korvat-core-tests --gtest_brief=1 \
  --gtest_filter='-AllGames/CoreRandomPlay.*'

ctest --test-dir build-test --output-on-failure -j "$(nproc)"
