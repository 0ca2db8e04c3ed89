#!/usr/bin/env bash
# Installs what is missing, builds Strandmoor and starts it. Without a display, where the window
# could not be seen, it checks the Favorites from the command line instead and changes nothing.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DSTRANDMOOR_TESTS=OFF
cmake --build build/release

bin=build/release/bin
program=$bin/Strandmoor
# The program and its tools do their registry work through Tarnhold, which they find through
# the registry.
"$bin/regsvr" "$bin/Tarnhold.so"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: the Strandmoor window needs one (log in to a desktop, or use ssh -X)."
    echo "Checking your Favorites from the command line instead, as a dry run that changes nothing."
    reports="${XDG_STATE_HOME:-$HOME/.local/state}/Strandmoor"
    mkdir -p "$reports"
    status=0
    "$bin/favorites" check --dry-run --report "$reports/check-$(date +%Y%m%d-%H%M%S).html" || status=$?
    # Broken or silent favorites are what the check found, not a failure of this script.
    if [ "$status" -eq 1 ]; then
        status=0
    fi
    exit "$status"
fi
exec "$program"
