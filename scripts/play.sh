#!/usr/bin/env bash
# Installs what is needed, builds vlrun and plays the bundled example game.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVL_TESTS=OFF -DVL_BENCH=OFF
cmake --build build/release --target vlrun examples
exec build/release/vlrun "$@" build/release/examples/hello.vlg
