#!/usr/bin/env bash
# Builds the host and the modules, then runs the bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."
bash build/deps.sh
cmake -S . -B out/release -DCMAKE_BUILD_TYPE=Release -DCADHOST_TESTS=OFF >/dev/null
cmake --build out/release -j"$(nproc)"
if [ -x out/release/bin/cadhost ] && [ -f examples/example.scr ]; then
  out/release/bin/cadhost --script examples/example.scr
else
  echo "cadhost built in out/release/bin"
fi
