#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each over its corpus
# (fuzz/corpus/<target>) for a fixed number of inputs from a fixed seed, so a
# run is repeatable, and at most a bounded time. A crash fails the run; the
# input that caused it belongs in tests/data/bad/ so the suite keeps opening
# it. Longer exploratory runs: scripts/fuzz.sh <seconds> <runs> <seed>.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
runs=${2:-20000}
seed=${3:-1}
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DKELO_BUILD_FUZZ=ON -DKELO_BUILD_TESTS=OFF \
  -DKELO_BUILD_GUI=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$build" -j "$(nproc)"
shopt -s nullglob
artifacts="$build/artifacts"
mkdir -p "$artifacts"
ran=0
for target in "$build"/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="fuzz/corpus/${name#fuzz_}"
  work=$(mktemp -d)
  seeds=()
  [ -d "$corpus" ] && seeds+=("$corpus")
  echo "-- $name: $runs inputs from seed $seed, at most ${seconds}s"
  "$target" -seed="$seed" -runs="$runs" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
    -artifact_prefix="$artifacts/$name-" "$work" "${seeds[@]}" 2>&1 | tail -n 3
  rm -rf "$work"
  ran=$((ran + 1))
done
echo "fuzz targets run: $ran"
