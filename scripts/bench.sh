#!/usr/bin/env bash
# Builds the benchmarks in an optimized build without sanitizers and runs them.
# Usage: scripts/bench.sh [BENCHMARK_PROGRAM...]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVL_TESTS=OFF >/dev/null
programs=("$@")
if ((${#programs[@]} == 0)); then
  mapfile -t programs < <(sed -n 's/^vl_bench(\([a-z_0-9]*\).*/\1/p' bench/*.cmake)
fi
cmake --build build/release --target "${programs[@]}"
for p in "${programs[@]}"; do
  "build/release/bench/$p"
done
