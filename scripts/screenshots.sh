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

# docs/img/save-window.png and docs/img/preferences.png: "File/Save as..."
# and "Edit/Preferences..." opened from the menu bar (a click opens the
# menu, the keys choose the item) over the same pass.
save_out=$(realpath docs/img)/save-window.png
prefs_out=$(realpath docs/img)/preferences.png
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -eu
  cd "$1"
  "$2/kelo" -w 900 -h 700 hrpt01.dat &
  pid=$!
  window_id() { xwininfo -root -tree | awk -v t="\"$1\":" "\$2 == t {print \$1; exit}"; }
  main=""
  for _ in $(seq 50); do
    sleep 0.2
    main=$(xwininfo -root -tree | awk "/\"Kelo    File/ {print \$1; exit}")
    [ -n "$main" ] && break
  done
  sleep 2
  xdotool mousemove 20 12 click 1  # "File"; "Save as..." is its third item
  sleep 0.5
  xdotool key Down Down Down Return
  sleep 1
  save=$(window_id Save)
  import -window "$save" "$3"
  xdotool windowmove "$save" 600 400
  xdotool mousemove 60 12 click 1  # "Edit"; "Preferences..." is its last item
  sleep 0.5
  xdotool key Up Return
  sleep 1
  import -window "$(window_id Preferences)" "$4"
  kill "$pid"
' _ "$work" "$bin" "$save_out" "$prefs_out"
echo "Saved $save_out and $prefs_out"
