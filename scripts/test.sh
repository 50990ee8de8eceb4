#!/usr/bin/env bash
# Installs what is needed, builds Kelo with its tests, runs every test (the
# GUI tests in a virtual X server), and tells how many tests were skipped and
# why. Fails when a test failed or skipped for a missing corpus file.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/deps.sh
build=${KELO_BUILD_DIR:-build}
cmake -S . -B "$build" -DKELO_BUILD_TESTS=ON ${KELO_CMAKE_ARGS:-} > /dev/null
cmake --build "$build" -j "$(nproc)"
cd "$build"
rc=0
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j "$(nproc)" || rc=$?
python3 "$root/scripts/skipped-tests.py" . || rc=1
exit "$rc"
