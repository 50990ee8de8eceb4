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

# docs/img/orbit-edit.png: "Orbit edit" on the same pass, opened with two
# clicks through the Edit menu (xdotool).
out=$(realpath docs/img)/orbit-edit.png
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -eu
  cd "$1"
  "$2/kelo" -w 700 -h 560 hrpt01.dat &
  pid=$!
  for _ in $(seq 50); do
    sleep 0.2
    xwininfo -root -tree | grep -q "\"Kelo    File" && break
  done
  sleep 2
  # The main window sits at the top left (no window manager): "Edit" on
  # the menu bar, then "Kepler..." in its menu.
  xdotool mousemove 58 12 click 1
  sleep 1
  xdotool mousemove 90 77 click 1
  id=""
  for _ in $(seq 25); do
    sleep 0.2
    id=$(xwininfo -root -tree | awk "/\"Orbit edit\"/ {print \$1; exit}")
    [ -n "$id" ] && break
  done
  sleep 1
  import -window "$id" "$3"
  kill "$pid"
' _ "$work" "$bin" "$out"
echo "Saved $out"
