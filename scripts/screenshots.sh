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

# The analysis windows on the same pass: docs/img/luminance-window.png (the
# Luminance window after "Lum thr.", amplified 8 times) and
# docs/img/channel-map.png ("Map channels" after " Auto color " under the
# mixed picture). The View menu is opened with a click at its place in the
# bar (the window keeps every key for the picture); menus and windows are
# then worked from the keyboard.
lum=$(realpath docs/img)/luminance-window.png
map=$(realpath docs/img)/channel-map.png
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -eu
  cd "$1"
  "$2/kelo" -w 700 -h 500 hrpt01.dat &
  pid=$!
  find_window() {
    for _ in $(seq 50); do
      sleep 0.2
      id=$(xwininfo -root -tree | awk -v t="\"$1" "index(\$0, t) {print \$1; exit}")
      [ -n "$id" ] && { echo "$id"; return 0; }
      done
    return 1
  }
  # The item `ups` places above the end of the View menu.
  view_item() {
    xdotool mousemove --window "$main" 103 12 click 1
    sleep 0.5
    for _ in $(seq "$1"); do xdotool key Up; done
    xdotool key Return
  }
  main=$(find_window "Kelo    File")
  sleep 2  # the first pass
  view_item 3
  lw=$(find_window "Luminance")
  xdotool windowmove --sync "$lw" 0 520
  sleep 0.5
  # Backwards from the first field: " Close ", "Restore", "Lum thr.";
  # then "Redraw", "Ampl".
  xdotool windowfocus --sync "$lw" key shift+Tab shift+Tab shift+Tab space
  sleep 2  # the pass "Lum thr." asks for
  xdotool key shift+Tab shift+Tab ctrl+a
  xdotool type 8
  xdotool key Return
  sleep 1
  import -window "$lw" "$3"
  xdotool windowmove --sync "$lw" 1000 520
  view_item 2
  mw=$(find_window "Map channels")
  xdotool windowmove --sync "$mw" 0 520
  sleep 0.5
  # Backwards from the first field: " Exit ", " Align settings ",
  # " Reset align ", " Auto align ", " Auto color ".
  xdotool windowfocus --sync "$mw" key shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab space
  sleep 3  # the mixed pass
  import -window root -crop 968x720+0+0 "$4"
  kill "$pid"
' _ "$work" "$bin" "$lum" "$map"
echo "Saved $lum $map"

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
