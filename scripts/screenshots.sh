#!/usr/bin/env bash
# Saves docs/img/main-window.png: the program started under Xvfb on a
# synthetic NOAA 19 pass recorded from the emulated decoder.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KELO_BUILD_DIR:-build}
cmake --build "$build" --target kelo > /dev/null
bin=$(realpath "$build")
out=$(realpath docs/img)/main-window.png
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$work" && "$bin/kelo" -decoder emulator:noaa,sat=19,syncloss=726:200 -batch hrpt:a > /dev/null)

xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -eu
  cd "$1"
  "$2/kelo" -w 900 -h 700 hrpt01.dat &
  pid=$!
  id=""
  for _ in $(seq 50); do
    sleep 0.2
    id=$(xwininfo -root -tree | awk "/\"Kelo    File/ {print \$1; exit}")
    [ -n "$id" ] && break
  done
  sleep 2  # the first pass and its frame
  import -window "$id" "$3"
  kill "$pid"
' _ "$work" "$bin" "$out"
echo "Saved $out"

# Saves docs/img/record-window.png: "Record HRPT" started by -crecord on the
# emulated decoder, beside the main window's canvas drawing the pass live.
rec_out=$(realpath docs/img)/record-window.png
rec_work=$(mktemp -d)
trap 'rm -rf "$work" "$rec_work"' EXIT
# The record window to the right of the main window.
printf '%s\n' "main_window_position = abs_wndpos@0x0" "sub_window_position = abs_wndpos@770x0" \
  > "$rec_work/.kelorc"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -eu
  cd "$1"
  HOME="$1" "$2/kelo" -w 640 -h 520 -decoder emulator:noaa,sat=19 -crecord hrpt:124 2> /dev/null &
  pid=$!
  for _ in $(seq 50); do
    sleep 0.2
    xwininfo -root -tree | grep -q "\"Record HRPT\"" && break
  done
  sleep 20  # the selection, the wait for sync and the first screens of the pass
  import -window root -crop 1140x530+0+0 +repage "$3"
  kill "$pid"
' _ "$rec_work" "$bin" "$rec_out"
echo "Saved $rec_out"
