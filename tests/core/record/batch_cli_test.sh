#!/usr/bin/env bash
# The station's view of batch mode: `kelo -batch` with no display records a
# pass from the emulated decoder into the next free file and logs each step.
set -euo pipefail
kelo=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export HOME="$work"
unset DISPLAY WAYLAND_DISPLAY

fail() { echo "FAIL: $*" >&2; exit 1; }

# -V and -H need no display either.
[ "$("$kelo" -V 2>&1)" = "* Version: 2010.beta" ] || fail "-V"
"$kelo" -H 2>&1 | head -1 | grep -q '^\*\{62\}$' || fail "-H banner"

touch hrpt01.dat  # taken: the pass goes to the next free name
"$kelo" -decoder emulator:noaa,sat=19,syncloss=100:200 -batch hrpt:a -log > stdout.txt 2> stderr.txt \
  || fail "batch exit status $?"
[ -s stdout.txt ] && fail "batch wrote to standard output with -log: $(cat stdout.txt)"
[ -f hrpt02.dat ] || fail "no hrpt02.dat"

# Frames 6-99 in sync, then 90 frames out of sync are kept before the pass ends.
expected="Wait for in-sync.
Start recording in hrpt02.dat."
for n in $(seq 10 10 180); do expected="$expected
Line $n..."; done
expected="$expected
Stop recording after 184 frames.
End recording."
got=$(cut -c27- kelo.log)
[ "$got" = "$expected" ] || { diff <(echo "$expected") <(echo "$got") >&2; fail "log lines"; }
cut -c1-26 kelo.log | grep -qvE '^[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}  $' \
  && fail "log time stamps"

# The header carries the magic, the satellite and the line count.
[ "$(head -c 4 hrpt02.dat)" = "HRPT" ] || fail "magic"
[ "$(dd if=hrpt02.dat bs=1 skip=4 count=7 2>/dev/null)" = "NOAA 19" ] || fail "satellite name"
count=$(od -An -tu2 -j24 -N2 hrpt02.dat | tr -d ' ')
[ "$count" = "184" ] || fail "line count $count"

# A request without channels records nothing and says so.
rm -f kelo.log
# Nothing recorded is a failure a scheduler sees: exit status 1 and one line.
"$kelo" -decoder emulator:noaa -batch hrpt -log > /dev/null 2> stderr.txt && fail "no-channel exit status 0"
grep -qx "Error: No channels selected." stderr.txt || fail "no-channel message"
[ -f hrpt03.dat ] && fail "a file without channels"
for request in HRPT:a xyz ":"; do
  "$kelo" -decoder emulator:noaa -batch "$request" -log > /dev/null 2> stderr.txt && fail "request '$request' exit status 0"
  grep -q "^Error: Unknown request '$request'" stderr.txt || fail "request '$request' message: $(cat stderr.txt)"
  grep -q "Error: Unknown request '$request'" kelo.log || fail "request '$request' not in the log"
done
"$kelo" -decoder bogus -batch hrpt:a > /dev/null 2>&1 && fail "unknown decoder accepted"
echo "batch command line: 1 passed, 0 failed"
