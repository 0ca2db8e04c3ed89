#!/usr/bin/env bash
# Draws docs/strandmoor.png, the main window after a check run, for the README. It runs the
# x11 walk-through on a virtual display and keeps the picture it takes after Check All Links.
#   bash docs/make-screenshot.sh [BUILD_DIR]      (default: build/test, as scripts/test.sh makes it)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/test}
if [ ! -x "$build/bin/Strandmoor" ]; then
    echo "No program in $build/bin: build first (bash scripts/test.sh builds build/test)." >&2
    exit 1
fi
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
    env QT_QPA_PLATFORM=xcb python3 tests/x11/walkthrough.py --bin "$build/bin" --screenshot docs/strandmoor.png
echo "Wrote docs/strandmoor.png"
