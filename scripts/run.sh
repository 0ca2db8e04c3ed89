#!/usr/bin/env bash
# Installs what is missing, builds Strandmoor and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DSTRANDMOOR_TESTS=OFF
cmake --build build/release

bin=build/release/bin
program=$bin/Strandmoor
# The program does its registry work through Tarnhold, which it finds through the registry.
"$bin/regsvr" "$bin/Tarnhold.so"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting Strandmoor on a virtual display (xvfb-run). Press Ctrl+C to end it."
    exec xvfb-run -a "$program"
fi
exec "$program"
