#!/usr/bin/env bash
# The station's automatic start: `kelo -record hrpt:a` opens the window,
# records one pass from the emulated decoder into the next free file, and
# ends by itself with status 0. Needs a display (skipped, 77, without one).
set -euo pipefail
kelo=$(realpath "$1")
[ -n "${DISPLAY:-}" ] || { echo "no display: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export HOME="$work"

fail() { echo "FAIL: $*" >&2; exit 1; }

# Under the sanitizers, leak stacks are unwound in full so that the
# suppressions of GTK's own caches (threads of its accessibility bridge) match.
if [ -n "${LSAN_OPTIONS:-}" ]; then export LSAN_OPTIONS="$LSAN_OPTIONS:fast_unwind_on_malloc=0"; fi

touch hrpt01.dat  # taken: the pass goes to the next free name
timeout 90 "$kelo" -decoder emulator:noaa,sat=19,frames=400 -record hrpt:a 2> stderr.txt \
  || fail "exit status $? ($(cat stderr.txt))"
[ -f hrpt02.dat ] || fail "no hrpt02.dat"
[ -f hrpt03.dat ] && fail "a second pass was recorded"

# 400 frames, the first 6 taken by the wait for sync, then the 90 frames out
# of sync that end the pass: the header counts 484 lines, the file holds them.
[ "$(head -c 4 hrpt02.dat)" = "HRPT" ] || fail "magic"
[ "$(dd if=hrpt02.dat bs=1 skip=4 count=7 2>/dev/null)" = "NOAA 19" ] || fail "satellite name"
count=$(od -An -tu2 -j24 -N2 hrpt02.dat | tr -d ' ')
[ "$count" = "484" ] || fail "line count $count"
insync=$(grep -ao 'FRAME' hrpt02.dat | wc -l)
[ "$insync" = "394" ] || fail "$insync lines in sync"
echo "record command line: 1 passed, 0 failed"
