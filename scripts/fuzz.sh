#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# over its corpus (fuzz/corpus/<target>). A crash fails the run; the input
# that caused it belongs in tests/data/bad/ so the suite keeps opening it.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DKELO_BUILD_FUZZ=ON -DKELO_BUILD_TESTS=OFF \
  -DKELO_BUILD_GUI=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$build" -j "$(nproc)"
shopt -s nullglob
ran=0
for target in "$build"/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="fuzz/corpus/${name#fuzz_}"
  work=$(mktemp -d)
  seeds=()
  [ -d "$corpus" ] && seeds+=("$corpus")
  echo "-- $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
    -artifact_prefix="$work/" "$work" "${seeds[@]}" 2>&1 | tail -n 3
  rm -rf "$work"
  ran=$((ran + 1))
done
echo "fuzz targets run: $ran"
