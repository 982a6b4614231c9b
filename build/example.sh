#!/usr/bin/env bash
# Builds the host and the modules, then runs the bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."
bash build/deps.sh
cmake -S . -B out/release -DCMAKE_BUILD_TYPE=Release -DCADHOST_TESTS=OFF >/dev/null
cmake --build out/release -j"$(nproc)"
# The script opens the example drawing (made by the build), drags a grip of an intelligent
# door, inserts another, lists, exports a PNG and saves .dwg and .dxf under out/release/examples.
out/release/bin/cadhost --load TamselDbx4 --script examples/example.scr
echo "Pictures and drawings: out/release/examples/doors.png, doors-edited.dwg, doors-edited.dxf"
