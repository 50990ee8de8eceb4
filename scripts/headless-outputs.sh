#!/usr/bin/env bash
# Writes the checksums of everything Kelo makes without a display: a batch
# recording of a synthetic pass with its log, the exports, renders and texts
# of kelo-export on that pass, and renders and exports of the shared picture
# corpora. Two builds that print the same list make the same files, byte for
# byte; compare them before and after a change that should not alter output:
#
#   bash scripts/headless-outputs.sh build > before.txt
#   ... change, rebuild ...
#   bash scripts/headless-outputs.sh build > after.txt && diff before.txt after.txt
set -euo pipefail
bin=$(realpath "${1:-build}")
root=$(realpath "$(dirname "$0")/..")
# The picture corpora: the shared folder beside the checkout when there is
# one (the lists compared before and after a change were made from it), else
# the repository's own tests/corpus.
data=${KELO_SHARED_DATA:-$root/../shared/data}
[ -d "$data" ] || data=$root/tests/corpus
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# The recording's start time comes from the station clock (header bytes
# 30-47, and as the satellite time 112-129) and the log lines start with it:
# all are masked.
mask_clock() { python3 - "$1" <<'EOF'
import sys
b = bytearray(open(sys.argv[1], 'rb').read())
b[30:48] = bytes(18)
b[112:130] = bytes(18)
open(sys.argv[1], 'wb').write(b)
EOF
}
sum() { sha256sum "$@" | sed "s|  $work/|  |"; }

HOME=$work "$bin/kelo" -decoder emulator:noaa,sat=19,syncloss=726:200 -batch hrpt:a -log > batch.out 2>&1 || true
sed -E 's/^[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]{2} [0-9:]{8} [0-9]{4}  //' kelo.log > batch.log
mask_clock hrpt01.dat
sum hrpt01.dat batch.log batch.out

x=("$bin/kelo-export" --no-prefs)
# run NAME ARGS...: one kelo-export call; its text output goes to NAME.txt
# and its exit status is part of the list.
run() { local name=$1; shift; set +e; "${x[@]}" "$@" > "$name.txt" 2>&1; echo "exit $?  $name"; set -e; }
run info --info hrpt01.dat
run frame --frame 100 hrpt01.dat
run probe --probe 1000,300 hrpt01.dat
run full --render 800x600 -o full.ppm hrpt01.dat
run colour --render 800x600 --rgb --auto-color -o colour.ppm hrpt01.dat
run zoomed_south --render 640x480 --zoom 4,2 --origin 300,100 --south -o zoomed_south.ppm hrpt01.dat
run temperature --render 640x480 -c 4 --temperature -o temperature.ppm hrpt01.dat
run processed --render 640x480 --despeckle --linearize --auto-lum --gamma 1.6 -o processed.ppm hrpt01.dat
run ch2 -c 2 -o ch2.gif hrpt01.dat
run ch4 -c 4 -t pgm -o ch4.pgm hrpt01.dat
run mix --rgb --auto-color -o mix.ppm hrpt01.dat
run part -c 1,2,4 --skip-faulty -t hrpt -o part.dat hrpt01.dat
[ -f part.dat ] && mask_clock part.dat
sum ./*.txt ./*.ppm ./*.gif ./*.pgm part.dat 2> /dev/null | grep -v ' batch' || true

if [ -d "$data" ]; then
  n=0
  for f in "$data"/gif/giflib/*.gif "$data"/pnm/pillow/*.p?m "$data"/pnm/charls/*.p?m; do
    [ -f "$f" ] || continue
    n=$((n + 1))
    name=$(basename "$f")
    if "${x[@]}" --render 320x240 -o "r$n.ppm" "$f" > /dev/null 2>&1; then
      echo "$(sha256sum < "r$n.ppm" | cut -c1-64)  render $name"
    else
      echo "failed  render $name"
    fi
  done
fi
