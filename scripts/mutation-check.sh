#!/usr/bin/env bash
# Mutation check: does the test suite notice a planted fault?
#
# Copies the committed tree (HEAD of this repository, or the commit given as
# the second argument) into a scratch folder, builds the test programs there,
# then plants one fault at a time with sed, rebuilds, runs the test programs
# that cover the broken area and restores the file. A fault is "caught" when
# a test program fails (or the tree no longer compiles), "missed" when every
# program passes. The working tree itself is never touched.
#
#   scripts/mutation-check.sh [scratch-dir] [commit] [fault numbers...]
#
# KELO_REPO names the repository when the script itself runs from a copy.
# Prints one line per fault and the number caught; exits 1 when a fault
# could not be planted (its sed pattern no longer matches the source).
set -u

repo=${KELO_REPO:-$(cd "$(dirname "$0")/.." && pwd)}
scratch=${1:-/tmp/kelo-mutation}
commit=${2:-HEAD}
only=" ${*:3} "  # fault numbers to plant; all when none are given

# file @ sed expression @ test programs @ what the fault is, in station terms
faults=(
  "src/core/files/hrpt1_read.cpp@s/for (size_t i = 0; i < rest; ++i) words/for (size_t i = 0; i + 1 < rest; ++i) words/@kelo_test_files kelo_test_export@HRPT reader drops the last word of a short packed tail"
  "src/core/base/bytes.h@s/return static_cast<uint16_t>((p\[0\] << 8) | p\[1\]);/return static_cast<uint16_t>(p[0] | (p[1] << 8));/@kelo_test_files kelo_test_export@big-endian 16-bit reads come out little-endian"
  "src/lumo/packing.cpp@s/box.horizontal = h || !v;/box.horizontal = v || !h;/@kelo_test_lumo@packing codes swap horizontal and vertical boxes"
  "src/lumo/lumo_misc.cpp@s/    w = Find_Widget(win, id);/    w = Find_Widget(widget, id);/@kelo_test_lumo@lookup in all windows searches only the caller's window"
  "src/lumo/menus.cpp@s/connect_menu(item, \"toggled\", callback, path);/(void)callback; connect_menu(item, \"toggled\", nullptr, path);/@kelo_test_lumo@menu check items never run their command"
  "src/core/view/zoom.cpp@s/z.oy -= nint((s - 1.0f) \* span_y(view, pic)/z.oy -= nint((s - 1.0f) * span_x(view, pic)/@kelo_test_view kelo_test_export@zooming out moves the vertical offset by the horizontal span"
  "src/lumo/packing.cpp@s/new_box(bc.horizontal, bc.homogeneous, bc.spacing)/new_box(bc.horizontal, bc.homogeneous, 0)/@kelo_test_lumo@packing codes lose the box spacing"
  "src/lumo/lumo_misc.cpp@s/return LumoColor{part(8), part(4), part(0)};/return LumoColor{part(0), part(4), part(8)};/@kelo_test_lumo@LED and widget colours swap red and blue"
  "src/core/files/gif_write.cpp@s/if (s->w_next_free > s->max_code && s->code_size/if (s->w_next_free >= s->max_code \&\& s->code_size/@kelo_test_files kelo_test_export@GIF writer widens the LZW code one code early"
  "src/core/files/ppm.cpp@s/pic->width, pic->height, maxval);/pic->height, pic->width, maxval);/@kelo_test_files kelo_test_export@PGM/PPM header gives height and width swapped"
  "src/core/files/hri1_read.cpp@s/return bits >= 3 ? 0x0F : 0x00;/return bits >= 2 ? 0x0F : 0x00;/@kelo_test_files@HRI reader cleans a channel-flag nibble with only two bits set to all ones"
  "src/core/files/hri1_read.cpp@s/if (next\[kMarkerPos\] == 'E') q += kHriQNextMarker;/(void)next;/@kelo_test_files@HRI frame quality ignores the marker of the following record"
  "src/core/files/hrpt1_read.cpp@s/if (next_marker_read \&\& next_marker\[kMarkerSyncChar\] == 'E') flags |= kLinePostSync;/(void)next_marker_read;/@kelo_test_files kelo_test_view@HRPT reader of marker files never sets the post-sync flag of a line"
  "src/core/files/gif_read.cpp@s/int local = 1 << ((iflags \& kColourTableSizeMask) + 1);/int local = 1 << (iflags \& kColourTableSizeMask);/@kelo_test_files@GIF reader takes half the entries of a local colour table"
  "src/core/view/data_proc.cpp@s/no_mirror == 0 \&\& view->orientation == Orientation::FromSouth/no_mirror == 0 \&\& view->orientation != Orientation::FromSouth/@kelo_test_view kelo_test_export@pictures of a northbound pass are mirrored, southbound ones not"
  "src/core/view/hrpt_calcs.cpp@s/temp\[counts\[k\]\] = out\[k\];/temp[counts[k]] = out[k ? k - 1 : 0];/@kelo_test_view@a line that repeats counts reads each count at the temperature of the count below it"
  "src/core/view/draw.cpp@s/const KColor\& c = (mark \& 2) ? yellow : red;/const KColor\& c = (mark \& 1) ? yellow : red;/@kelo_test_view@faulty-line marks swap red (own sync missing) and yellow (next sync missing)"
  "src/core/export/file_save.cpp@s/return kBits10 - src_depth;/return kBits10 - src_depth - 1;/@kelo_test_export@8-bit pictures saved as recordings move up one bit, not two"
  "src/core/export/kelo_export_cli.cpp@s/if (!o.force \&\& name_taken(o.output)) {/if (!o.force \&\& o.output.empty()) {/@kelo_test_export@export command line overwrites an existing output file without --force"
  "src/core/record/hrpt_rec_pp.cpp@s/if (recognized_ >= kRecNameFrames) {/if (recognized_ >= kRecNameFrames - 1) {/@kelo_test_record@recording names the satellite after four equal ids, not five"
  "src/core/record/emulator_sources.cpp@s/const uint16_t v = be_ ? get_be16(buf + 2 \* i) : get_le16(buf + 2 \* i);/const uint16_t v = get_le16(buf + 2 * i);/@kelo_test_record@big-endian frame files replay as little-endian in the emulator"
  "src/lumo/windows.cpp@s/int right = std::min(x + w, b.x + b.w);/int right = std::min(x + w, b.x + b.h);/@kelo_test_lumo@smart placement measures another window's overlap with its height as its width"
  "src/lumo/windows.cpp@s/if (percent == rec->last_percent) return rec->cancelled;/if (percent < 0) return rec->cancelled;/@kelo_test_lumo@progress window redraws on every update, not once a percent"
  "src/lumo/windows.cpp@s/    if (open != nullptr) {/    if (open == parent) {/@kelo_test_lumo@a second window of an open title is made"
  "src/lumo/listtree.cpp@s/if (row == st->selected) run_row/if (row != st->selected) run_row/@kelo_test_lumo@lists report a release on another row instead of on the selected one"
  "src/lumo/filemngr.cpp@s/ || row == g_fs.more_row) return;/) return;/@kelo_test_lumo@file dialog takes the '(N more files.)' row for a file name"
  "src/lumo/adjust.cpp@s/if (\*p == 'd') \*precision = 0;/if (*p == '?') *precision = 0;/@kelo_test_lumo@integer fields keep the decimals of an earlier format"
  "src/lumo/buttons.cpp@s/Find_Local_Widget(container, id) : container, state, false);/Find_Local_Widget(container, id) : container, state, true);/@kelo_test_lumo@setting a button of one window quietly runs its command"
  "src/app/save_wnd.cpp@s/Sense_Button(save_window, kChannelIds\[n\], present);/Sense_Button(save_window, kChannelIds[n], 1);/@kelo_test_app@Save window offers channels the picture does not have"
  "src/app/view_input.cpp@s/Set_Entry(mw->window(), \"Pixel\", \"%s\", t.pixel.c_str());/Set_Entry(mw->window(), \"Pixel\", \"%s\", t.position.c_str());/@kelo_test_app@the pixel read-out under the pointer shows its position instead of its level"
  "src/app/lum_wnd.cpp@s/Set_Adjust(lw, \"Lmin\", \"%d\", view->lmin);/Set_Adjust(lw, \"Lmin\", \"%d\", view->lmax);/@kelo_test_app@Luminance window shows the upper threshold as the lower one"
)

# ccache, when installed, makes the rebuilds after each fault quick.
export CCACHE_BASEDIR=$scratch CCACHE_NOHASHDIR=1
launcher=()
command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
rm -rf "$scratch" && mkdir -p "$scratch"
git -C "$repo" archive "$commit" | tar -x -C "$scratch" || exit 2
cd "$scratch" || exit 2
cmake -S . -B build -DKELO_BUILD_TESTS=ON -DKELO_WERROR=ON \
  "${launcher[@]}" > build.log 2>&1 || { echo "configure failed"; exit 2; }
targets="kelo_test_files kelo_test_export kelo_test_view kelo_test_lumo kelo_test_record kelo_test_app"
# shellcheck disable=SC2086
cmake --build build -j2 --target $targets >> build.log 2>&1 || { echo "build of the unbroken tree failed"; exit 2; }

run_programs() {
  local p bin
  for p in $1; do
    bin=$(find build -type f -name "$p" -perm -u+x | head -n 1)
    [ -n "$bin" ] || return 2
    if ! (cd "$(dirname "$bin")" && xvfb-run -a -s "-screen 0 1280x1024x24" "./$p" --gtest_brief=1) \
      > "run-$p.log" 2>&1; then
      return 1
    fi
  done
  return 0
}

caught=0 total=0 planted=0 status=0
for fault in "${faults[@]}"; do
  IFS='@' read -r file expr progs what <<< "$fault"
  total=$((total + 1))
  if [ "$only" != "  " ] && [[ $only != *" $total "* ]]; then continue; fi
  planted=$((planted + 1))
  cp "$file" "$file.orig"
  sed -i "$expr" "$file"
  if cmp -s "$file" "$file.orig"; then
    echo "$total NOT PLANTED  $what ($file)"
    status=1
  elif ! cmake --build build -j2 --target $progs >> build.log 2>&1; then
    echo "$total caught (build) $what"
    caught=$((caught + 1))
  elif run_programs "$progs"; then
    echo "$total missed       $what"
  else
    echo "$total caught       $what"
    caught=$((caught + 1))
  fi
  mv "$file.orig" "$file"
  touch "$file"
done
cmake --build build -j2 --target $targets >> build.log 2>&1
echo "caught $caught of $planted"
exit $status
