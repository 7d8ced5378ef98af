#!/usr/bin/env bash
# Installs what is needed, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -G Ninja -DVL_SANITIZE=ON
cmake --build build
cd build
ctest --output-on-failure --parallel "$(nproc)" --timeout 900
