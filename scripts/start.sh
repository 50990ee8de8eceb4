#!/usr/bin/env bash
# Installs what is needed, builds Kelo, records a sample pass from the
# emulated decoder (no receiver needed), and starts the program on it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${KELO_BUILD_DIR:-build}
cmake -S . -B "$build" > /dev/null
cmake --build "$build" -j "$(nproc)" --target kelo kelo-export
bin=$(realpath "$build")
sample_dir="$build/sample"
rm -rf "$sample_dir"
mkdir -p "$sample_dir"
cd "$sample_dir"

# Two minutes of a synthetic NOAA 19 pass, recorded as a station would in
# batch mode; the decoder loses the satellite after 720 frames.
"$bin/kelo" -decoder emulator:noaa,sat=19,syncloss=726:200 -batch hrpt:a
echo
"$bin/kelo-export" --info hrpt01.dat
"$bin/kelo-export" --render 800x600 -o pass.ppm hrpt01.dat
echo "Rendered the pass into $sample_dir/pass.ppm"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display here: the recording is $sample_dir/hrpt01.dat and its picture $sample_dir/pass.ppm."
  exit 0
fi
exec "$bin/kelo" hrpt01.dat
