#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs every test.
# SANITIZE=1 builds and runs the suite with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build=build/test
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTRANDMOOR_WERROR=ON -DSTRANDMOOR_TESTS=ON)
if [ "${SANITIZE:-0}" = "1" ]; then
    build=build/sanitize
    options+=(-DSTRANDMOOR_SANITIZE=ON)
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi

cmake -S . -B "$build" -G Ninja "${options[@]}"
cmake --build "$build"

# On CI (a clean, disposable machine, as root) the Debian package is built from this build,
# installed, started under xvfb-run and removed again. Not with the sanitizers: the package
# is what users get.
if [ "${CI:-}" = "true" ] && [ "${SANITIZE:-0}" != "1" ]; then
    bash packaging/test-deb.sh "$build"
fi

# The test run comes last, so its summary closes the output.
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure --timeout 600 -j2
