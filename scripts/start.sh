#!/usr/bin/env bash
# Installs what is needed, builds Kelo, makes a sample picture and starts the
# program on it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${KELO_BUILD_DIR:-build}
cmake -S . -B "$build" > /dev/null
cmake --build "$build" -j "$(nproc)"
sample_dir="$build/sample"
mkdir -p "$sample_dir"
sample="$sample_dir/sample.pgm"
# A 256 x 64 grey ramp.
python3 - "$sample" <<'PY'
import sys
w, h = 256, 64
with open(sys.argv[1], "wb") as f:
    f.write(b"P5\n%d %d\n255\n" % (w, h))
    f.write(bytes((x for _ in range(h) for x in range(w))))
PY
"$build/kelo" -V
exec "$build/kelo" "$sample"
