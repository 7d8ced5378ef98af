#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer and runs each for a while.
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVL_FUZZ=ON -DVL_BENCH=OFF >/dev/null
targets=("$@")
if ((${#targets[@]} == 0)); then
  mapfile -t targets < <(sed -n 's/^fuzz_target(\([a-z_0-9]*\).*/\1/p' tests/fuzz/*.cmake)
fi
cmake --build build/fuzz --target "${targets[@]}"
for t in "${targets[@]}"; do
  mkdir -p "build/fuzz/corpus/$t"
  echo "== $t"
  dict=()
  if [[ -f "tests/fuzz/$t.dict" ]]; then dict=(-dict="tests/fuzz/$t.dict"); fi
  "build/fuzz/tests/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 "${dict[@]}" \
    "build/fuzz/corpus/$t" "tests/fuzz/corpus/$t"
done
