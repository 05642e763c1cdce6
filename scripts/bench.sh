#!/usr/bin/env bash
# Builds Korvat for speed and runs its benchmarks, printing a table.
# Arguments go to korvat-bench, e.g. --benchmark_filter=startGame/827
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVAT_TESTS=OFF -DKORVAT_SANITIZE=OFF >/dev/null
cmake --build build-rel --target korvat-bench >/dev/null
exec build-rel/bin/korvat-bench "$@"
