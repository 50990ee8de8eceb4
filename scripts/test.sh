#!/usr/bin/env bash
# Installs what is needed, builds Kelo with its tests, and runs every test
# (the GUI tests in a virtual X server).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${KELO_BUILD_DIR:-build}
cmake -S . -B "$build" -DKELO_BUILD_TESTS=ON ${KELO_CMAKE_ARGS:-} > /dev/null
cmake --build "$build" -j "$(nproc)"
cd "$build"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j "$(nproc)"
