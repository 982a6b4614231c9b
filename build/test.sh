#!/usr/bin/env bash
# Builds the project with sanitizers and runs every test. Installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash build/deps.sh
cmake -S . -B out/test -DCMAKE_BUILD_TYPE=Debug -DCADHOST_SANITIZE=ON -DCADHOST_TESTS=ON -DCADHOST_BENCH=ON >/dev/null
cmake --build out/test -j"$(nproc)"
# Benchmarks are built in release mode elsewhere; here only a smoke run of one case.
cd out/test
ctest --output-on-failure -j"$(nproc)" --timeout 600
