#include "core/view/draw.h"

#include <algorithm>
#include <new>
#include <vector>

#include "core/files/gif_read.h"
#include "core/files/hri_functions.h"
#include "core/view/data_proc.h"
#include "core/view/hrpt_calcs.h"
#include "core/view/mapping.h"

namespace kelo {

namespace {

constexpr int kMarkPixels = 5;        // faulty-line mark at the left edge of a row
constexpr int kMinTempLines = 5;      // calibration reads PRT values from 5 lines
constexpr long long kMaxAlign = 512;  // lines of channel alignment a pass holds either way

bool temperature_mode(const VIEW_INFO* view) {
  return view->temperature && (view->chan_sel[3] || view->chan_sel[4] || view->chan_sel[5]);
}

void paint_mark(DRAWABLE_INFO* canvas, int y, int mark) {
  // Red: the line lacks its own sync; yellow: the next line's sync is missing.
  const KColor red{255, 0, 0};
  const KColor yellow{255, 255, 0};
  const KColor& c = (mark & 2) ? yellow : red;
  for (int x = 0; x < kMarkPixels; ++x) draw_rgbpoint(canvas, c, x, y);
}

}  // namespace

int faulty_mark(FileKind file_type, int status) {
  int mark = 0;
  switch (file_type) {
    case kKindHRI:
      if (!(status & kLinePostSync)) mark |= 1;
      break;
    case kKindHRPT:
    case kKindCHRPT:
    case kKindSeaStar:
    case kKindAHRPT:
      if (!(status & kLinePreSync)) mark |= 1;
      if (!(status & kLinePostSync)) mark |= 2;
      break;
    default:
      break;
  }
  return mark;
}

int draw_pic_canvas(PIC_INFO* pic, VIEW_INFO* view, DRAWABLE_INFO* canvas, WindowHandle window) {
  if (!pic || !view) return 0;
  if (!canvas) return 1;
  const int W = canvas->width;
  const int H = canvas->height;
  const bool temp_mode = temperature_mode(view);

  if (!pic->pic_fp) return 0;
  // A GIF that cannot be read again shows its unreadable lines as missing:
  // the line reads below report them, so the result is not needed here.
  if (pic->file_type == kKindGIF) (void)rewind_gif(pic);
  if (pic->file_type == kKindHRI) hri_channelselect(pic, view);
  if (pic->width <= 0 || pic->height <= 0) return 0;
  // A canvas without a colour map (nothing loaded one yet) gets the
  // picture's own colours, so the pass never indexes an empty map.
  if (canvas->n_colors <= 0) load_std_palette(canvas, pic);

  std::vector<int> xmap, ymap, lummap;
  const int rgb_mode = view->rgb_map ? 1 : 0;
  if (map_pic_canvas(canvas, pic, view, rgb_mode, &xmap, &ymap, &lummap) != 0) return 1;

  // Channel alignment beyond kMaxAlign lines is a typing error, not a
  // pass: it is limited so the line set stays a few megabytes; channels
  // aligned beyond the lines held add nothing to the mix.
  long long vmin = 0, vmax = 0;
  if (view->rgb_map) {
    for (int ch = 1; ch <= kMaxChannels; ++ch) {
      const long long t = std::llabs(static_cast<long long>(view->tilt[ch]));
      vmin = std::min(vmin, view->vshift[ch] - t);
      vmax = std::max(vmax, view->vshift[ch] + t);
    }
  }
  view->vshift_min = static_cast<int>(std::max(vmin, -kMaxAlign));
  view->vshift_max = static_cast<int>(std::min(vmax, kMaxAlign));
  CAL_COEFS cal;
  if (temp_mode) cal = load_cal(pic->sat_name);

  int n = view->vshift_max - view->vshift_min + 1;
  if (view->despeckle_on) n *= 3;
  if (temp_mode) n = std::max(n, kMinTempLines);
  std::fill(std::begin(view->hist), std::end(view->hist), 0);

  const int words = std::max(pic->frame.words_padded, 1);
  const int line_len = words * kLineBufFactor;
  LineSet lines(words, n);
  std::vector<uint16_t> r, g, b;
  std::vector<uint8_t> marks;
  std::vector<uint16_t> temp_line;
  std::vector<uint16_t*> temp_set;
  const bool with_marks = pic->file_type == kKindHRI && view->grid_on;
  try {
    r.assign(static_cast<size_t>(line_len), 0);
    g.assign(static_cast<size_t>(line_len), 0);
    b.assign(static_cast<size_t>(line_len), 0);
    if (with_marks) marks.assign(static_cast<size_t>(std::max(line_len, kHriMarkBytes)), 0);
    if (temp_mode) {
      temp_line.assign(static_cast<size_t>(line_len), 0);
      temp_set.assign(static_cast<size_t>(n), nullptr);
    }
  } catch (const std::bad_alloc&) {
    lines = LineSet();
  }
  if (!lines.ok()) {
    // Reported once and not retried: returning 1 would make the caller
    // schedule the same failing pass again and again.
    gui().message("Error", "Not enough memory to draw the picture.");
    return 0;
  }
  const int marks_len = static_cast<int>(marks.size());
  uint8_t* grid = with_marks ? marks.data() : nullptr;

  int status = 0;
  int read_row = -1;
  for (int y = 0; y < H && y < static_cast<int>(ymap.size()); ++y) {
    if (gui().escape_pressed()) break;
    gui().process_events();
    if (view->redraw_pending) break;
    bool just_read = false;
    if (y == 0 || ymap[static_cast<size_t>(y)] != ymap[static_cast<size_t>(read_row)]) {
      status = read_lines(view, pic, ymap.data(), y, n, lines.get(), g.data(), b.data(), grid);
      read_row = y;
      just_read = true;
    }
    if (view->rgb_map) {
      // The mix depends only on the line set: rows showing the same lines
      // (zoomed in) reuse it.
      if (just_read) Translate_Line(view, pic, 0, 0, 1, lines.get(), n, r.data(), g.data(), b.data());
      draw_a_line_rgb(r.data(), g.data(), b.data(), line_len, W, y, xmap.data(), lummap.data(), canvas, view);
    } else if (pic->file_type == kKindPPM) {
      draw_a_line_rgb(lines[0], g.data(), b.data(), line_len, W, y, xmap.data(), lummap.data(), canvas, view);
    } else if (!temp_mode) {
      draw_a_line_bw(lines[0], line_len, W, y, xmap.data(), lummap.data(), pic->lut_size - 1, canvas, view);
    } else {
      // The temperatures go into a copy of the first line: converting the
      // set in place would convert a buffer twice when it comes round again
      // without being re-read (past the end of the file).
      if (just_read) {
        std::copy(lines[0], lines[0] + line_len, temp_line.begin());
        temp_set[0] = temp_line.data();
        for (int i = 1; i < n; ++i) temp_set[static_cast<size_t>(i)] = lines[i];
        map_noaatemp(temp_set.data(), n, &cal, pic, view);
      }
      draw_a_line_func(temp_line.data(), line_len, W, y, xmap.data(), lummap.data(), canvas, view, map_temp);
    }
    if (view->mark_faulty) {
      const int mark = faulty_mark(pic->file_type, status);
      if (mark) paint_mark(canvas, y, mark);
    }
    if (grid) draw_grid(grid, marks_len, W, y, xmap.data(), canvas, view);
    if (!view->slide_mode) gui().refresh_rows(window, y, 1);
    if (canvas->width != W || canvas->height != H) {
      // The window was resized during the pass: the tables no longer fit,
      // so draw afresh at the new size and end this pass.
      return draw_pic_canvas(pic, view, canvas, window);
    }
  }
  if (view->slide_mode) gui().refresh_rows(window, 0, H);
  return view->redraw_pending;
}

int draw_pic(PIC_INFO* pic, VIEW_INFO* view, WindowHandle window) {
  if (!pic || !view) return 0;
  if (!pic->pic_fp) return 0;
  DRAWABLE_INFO* canvas = window ? gui().canvas(window) : nullptr;
  return draw_pic_canvas(pic, view, canvas, window);
}

}  // namespace kelo
