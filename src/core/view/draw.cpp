#include "core/view/draw.h"

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "core/files/gif_read.h"
#include "core/files/hri_functions.h"
#include "core/view/data_proc.h"
#include "core/view/hrpt_calcs.h"
#include "core/view/mapping.h"
#include "core/view/row_paint.h"

namespace kelo {

namespace {

constexpr int kMarkPixels = 5;        // faulty-line mark at the left edge of a row
constexpr int kMinTempLines = 5;      // calibration reads PRT values from 5 lines
constexpr long long kMaxAlign = 512;  // lines of channel alignment a pass holds either way
static_assert(kMapMaxLevel == kMaxLevel10, "the straight mix's levels index the level tables unmasked");

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

namespace {

// One picture pass over the canvas. It owns everything the pass keeps from
// row to row: the zoom tables, the line set with its memory of the file lines
// held, the calibration state of the temperature view and the row buffers.
// Nothing of it outlives the pass or is shared with another pass, so two
// pictures drawn at the same time (or one pass inside another) give each the
// pixels it gives alone.
class PicturePass {
 public:
  PicturePass(PIC_INFO* pic, VIEW_INFO* view, DRAWABLE_INFO* canvas, PassListener* listener)
      : pic_(pic), view_(view), canvas_(canvas), listener_(listener), W_(canvas->width), H_(canvas->height) {}

  enum class Prepared { kReady, kNothing, kNoTables, kNoMemory };
  // Zoom tables, channel alignment, calibration and the line set.
  Prepared prepare();
  int rows() const { return std::min(H_, static_cast<int>(ymap_.size())); }
  // Reads the file lines of row y unless the row before showed the same ones.
  void read_row(int y);
  // Draws row y from the lines held, with its faulty-line mark and grid.
  void draw_row(int y);
  // Only what the column map shows is mixed, despeckled and converted to
  // temperatures: a full view of a 2048-pixel scan shows 1280 of its columns,
  // and of a grey view one channel of the five.
  void choose_shown_samples();
  // The canvas changed size during the pass: its tables no longer fit.
  bool resized() const { return canvas_->width != W_ || canvas_->height != H_; }

 private:
  PIC_INFO* pic_;
  VIEW_INFO* view_;
  DRAWABLE_INFO* canvas_;
  PassListener* listener_;
  const int W_;
  const int H_;
  bool temp_mode_ = false;
  std::vector<int> xmap_, ymap_, lummap_;
  // What the screen shows of a line: the picture columns of an RGB mix, the
  // samples the despeckle filter and the temperature conversion work on.
  std::vector<int> columns_;
  ColumnMixer mixer_;
  DespeckleSamples desp_;
  TempSamples temp_;
  // The canvas columns that show a sample, and the canvas bytes of each
  // grey level (grey view).
  ColumnRuns runs_;
  GreyColours grey_colours_;
  // The samples of the shown line a temperature row reads: the header
  // words (calibration) and the column map's entries past them.
  int temp_hdr_ = 0;
  std::vector<int> temp_read_;
  // The canvas bytes of each RGB level (colour pictures and mixes), also as
  // packed pixels; the colours of the shown columns of a straight mix and
  // the shown column of each canvas column.
  RgbLevelColours rgb_colours_;
  LevelPixels level_px_;
  MixedColumns mixed_;
  std::vector<int> kmap_, kmap_times_;
  // The spans a direct row is painted over, and whether mixed_ holds the
  // colours of the line set held (a direct row paints without them).
  MixedSpans spans_;
  bool mixed_held_ = false;
  // The canvas bytes of each temperature (temperature view).
  TempColours temp_colours_;
  TempPixels temp_px_;
  // Zoomed in, each shown sample's colour is looked up once a row: the
  // samples shown, the one each canvas column shows, their colours.
  bool temp_by_sample_ = false;
  std::vector<int> temp_shown_, temp_kmap_, temp_times_;
  MixedColumns temp_mixed_;
  CAL_COEFS cal_;
  NoaaTempState temp_state_;
  int n_ = 0;
  int line_len_ = 0;
  LineSet lines_;
  std::vector<uint16_t> r_, g_, b_;
  std::vector<uint8_t> marks_;
  std::vector<uint16_t> temp_line_;
  std::vector<uint16_t*> temp_set_;
  uint8_t* grid_ = nullptr;
  int status_ = 0;
  int read_row_ = -1;
  bool just_read_ = false;
};

PicturePass::Prepared PicturePass::prepare() {
  temp_mode_ = temperature_mode(view_);
  // A GIF that cannot be read again shows its unreadable lines as missing:
  // the line reads below report them, so the result is not needed here.
  if (pic_->file_type == kKindGIF) (void)rewind_gif(pic_);
  if (pic_->file_type == kKindHRI) hri_channelselect(pic_, view_);
  if (pic_->width <= 0 || pic_->height <= 0) return Prepared::kNothing;
  // A canvas without a colour map (nothing loaded one yet) gets the
  // picture's own colours, so the pass never indexes an empty map.
  if (canvas_->n_colors <= 0) load_std_palette(canvas_, pic_);

  const int rgb_mode = view_->rgb_map ? 1 : 0;
  if (map_pic_canvas(canvas_, pic_, view_, rgb_mode, &xmap_, &ymap_, &lummap_) != 0)
    return Prepared::kNoTables;

  // Channel alignment beyond kMaxAlign lines is a typing error, not a
  // pass: it is limited so the line set stays a few megabytes; channels
  // aligned beyond the lines held add nothing to the mix.
  long long vmin = 0, vmax = 0;
  if (view_->rgb_map) {
    for (int ch = 1; ch <= kMaxChannels; ++ch) {
      const long long t = std::llabs(static_cast<long long>(view_->tilt[ch]));
      vmin = std::min(vmin, view_->vshift[ch] - t);
      vmax = std::max(vmax, view_->vshift[ch] + t);
    }
  }
  view_->vshift_min = static_cast<int>(std::max(vmin, -kMaxAlign));
  view_->vshift_max = static_cast<int>(std::min(vmax, kMaxAlign));
  if (temp_mode_) {
    std::string warning;
    cal_ = load_cal(pic_->sat_name, &warning);
    if (!warning.empty()) {
      // Unattended, the warning goes where an unattended listener says it.
      PassListener unattended;
      (listener_ ? listener_ : &unattended)->pass_warning(warning);
    }
  }

  n_ = view_->vshift_max - view_->vshift_min + 1;
  if (view_->despeckle_on) n_ *= 3;
  if (temp_mode_) n_ = std::max(n_, kMinTempLines);
  std::fill(std::begin(view_->hist), std::end(view_->hist), 0);

  const int words = std::max(pic_->frame.words_padded, 1);
  line_len_ = words * kLineBufFactor;
  lines_ = LineSet(words, n_);
  const bool with_marks = pic_->file_type == kKindHRI && view_->grid_on;
  try {
    r_.assign(static_cast<size_t>(line_len_), 0);
    g_.assign(static_cast<size_t>(line_len_), 0);
    b_.assign(static_cast<size_t>(line_len_), 0);
    if (with_marks) marks_.assign(static_cast<size_t>(std::max(line_len_, kHriMarkBytes)), 0);
    if (temp_mode_) {
      temp_line_.assign(static_cast<size_t>(line_len_), 0);
      temp_set_.assign(static_cast<size_t>(n_), nullptr);
    }
  } catch (const std::bad_alloc&) {
    lines_ = LineSet();
  }
  if (!lines_.ok()) return Prepared::kNoMemory;
  grid_ = with_marks ? marks_.data() : nullptr;
  choose_shown_samples();
  return Prepared::kReady;
}

void PicturePass::choose_shown_samples() {
  // The grey, colour-picture and temperature drawers read the line at the
  // column map's entries; the mix reads every mapped channel at its shifted
  // column of each shown picture column.
  runs_ = column_runs(xmap_.data(), W_, line_len_);
  if (view_->rgb_map) {
    columns_ = shown_columns(pic_, xmap_);
    mixer_.prepare(view_, pic_, n_, columns_);
  }
  if (view_->despeckle_on)
    desp_ = despeckle_samples(pic_, view_->rgb_map ? mix_samples(view_, pic_, columns_) : xmap_);
  if (temp_mode_) {
    temp_ = temp_samples(pic_, xmap_);
    temp_colours_ = temp_colours(lummap_.data(), canvas_);
    temp_px_ = temp_pixels(temp_colours_);
    temp_hdr_ = std::clamp(pic_->frame.hdr_words, 0, line_len_);
    temp_read_.clear();
    for (const int i : xmap_)
      if (i >= temp_hdr_ && i < line_len_) temp_read_.push_back(i);
    std::sort(temp_read_.begin(), temp_read_.end());
    temp_read_.erase(std::unique(temp_read_.begin(), temp_read_.end()), temp_read_.end());
    temp_shown_.clear();
    int pixels = 0;
    for (const ColumnRuns::Run& run : runs_.runs) {
      pixels += run.end - run.begin;
      for (int x = run.begin; x < run.end; ++x) temp_shown_.push_back(xmap_[static_cast<size_t>(x)]);
    }
    std::sort(temp_shown_.begin(), temp_shown_.end());
    temp_shown_.erase(std::unique(temp_shown_.begin(), temp_shown_.end()), temp_shown_.end());
    temp_by_sample_ = static_cast<int>(temp_shown_.size()) < pixels;
    temp_kmap_.assign(static_cast<size_t>(W_), 0);
    for (const ColumnRuns::Run& run : runs_.runs)
      for (int x = run.begin; x < run.end; ++x)
        temp_kmap_[static_cast<size_t>(x)] = static_cast<int>(
            std::lower_bound(temp_shown_.begin(), temp_shown_.end(), xmap_[static_cast<size_t>(x)]) -
            temp_shown_.begin());
    temp_times_ = column_times(runs_, temp_kmap_.data(), temp_shown_.size());
  }
  if (!view_->rgb_map && !temp_mode_ && pic_->file_type != kKindPPM)
    grey_colours_ = grey_colours(lummap_, pic_->lut_size - 1, canvas_);
  if (view_->rgb_map || pic_->file_type == kKindPPM) {
    rgb_colours_ = rgb_level_colours(lummap_.data(), canvas_);
    level_px_ = level_pixels(rgb_colours_);
  }
  if (view_->rgb_map) {
    // A canvas column on the line buffer past the shown columns takes the
    // entry after them (level 0, as the row of levels holds there).
    kmap_.assign(static_cast<size_t>(W_), 0);
    for (int x = 0; x < W_; ++x) {
      const int i = xmap_[static_cast<size_t>(x)];
      const auto at = std::lower_bound(columns_.begin(), columns_.end(), i);
      kmap_[static_cast<size_t>(x)] = static_cast<int>(
          at != columns_.end() && *at == i ? at - columns_.begin() : columns_.end() - columns_.begin());
    }
    spans_ = mixed_spans(runs_, kmap_.data(), columns_.size());
    kmap_times_ = column_times(runs_, kmap_.data(), columns_.size() + 1);
  }
}

void PicturePass::read_row(int y) {
  just_read_ = false;
  if (y == 0 || ymap_[static_cast<size_t>(y)] != ymap_[static_cast<size_t>(read_row_)]) {
    status_ = read_lines_shown(view_, pic_, ymap_.data(), y, n_, lines_.get(), g_.data(), b_.data(), grid_,
                               lines_.memory(), &desp_);
    read_row_ = y;
    just_read_ = true;
  }
}

void PicturePass::draw_row(int y) {
  if (view_->rgb_map) {
    // The mix depends only on the line set: rows showing the same lines
    // (zoomed in) reuse it.
    if (mixer_.straight()) {
      // Block by block, so the working rows of a block stay in the fastest
      // cache from the mix to the colours.
      constexpr size_t kBlock = 512;
      const size_t count = columns_.size();
      if (just_read_ && spans_.direct) {
        // The canvas shows the shown columns side by side (a full or
        // zoomed-out view): each pixel is made where it is shown, and the
        // table of the shown columns' colours only when a next row shows
        // the same lines.
        paint_row_gaps(runs_, y, canvas_);
        for (size_t from = 0; from < count; from += kBlock) {
          const size_t to = std::min(count, from + kBlock);
          mixer_.mix_levels(lines_.get(), n_, from, to);
          paint_row_mixed(mixer_.levels(0).data(), mixer_.levels(1).data(), mixer_.levels(2).data(), from, to,
                          spans_, runs_, level_px_, y, canvas_, view_);
        }
        mixed_held_ = false;
      } else {
        if (just_read_) {
          resize_columns(count, level_px_, &mixed_);
          for (size_t from = 0; from < count; from += kBlock) {
            const size_t to = std::min(count, from + kBlock);
            mixer_.mix_levels(lines_.get(), n_, from, to);
            colour_columns_range(mixer_.levels(0).data(), mixer_.levels(1).data(), mixer_.levels(2).data(),
                                 from, to, level_px_, &mixed_);
          }
          mixed_held_ = true;
        } else if (!mixed_held_) {
          colour_columns(mixer_.levels(0).data(), mixer_.levels(1).data(), mixer_.levels(2).data(), count,
                         level_px_, &mixed_);
          mixed_held_ = true;
        }
        paint_row_columns(mixed_, runs_, kmap_.data(), kmap_times_, y, canvas_, view_);
      }
    } else {
      if (just_read_) mixer_.mix_prepared(lines_.get(), n_, r_.data(), g_.data(), b_.data());
      paint_row_levels(r_.data(), g_.data(), b_.data(), runs_, xmap_.data(), level_px_, y, canvas_, view_);
    }
  } else if (pic_->file_type == kKindPPM) {
    draw_a_line_rgb_levels(lines_[0], g_.data(), b_.data(), line_len_, W_, y, xmap_.data(), rgb_colours_,
                           canvas_, view_);
  } else if (!temp_mode_ && !grey_colours_.px.empty()) {
    paint_row_grey(lines_[0], runs_, xmap_.data(), grey_colours_, y, canvas_, view_);
  } else if (!temp_mode_) {
    draw_a_line_bw(lines_[0], line_len_, W_, y, xmap_.data(), lummap_.data(), pic_->lut_size - 1, canvas_,
                   view_);
  } else {
    // The temperatures go into a copy of the first line: converting the
    // set in place would convert a buffer twice when it comes round again
    // without being re-read (past the end of the file). Only what the
    // conversion and the row read is copied.
    if (just_read_) {
      const uint16_t* src = lines_[0];
      std::copy(src, src + temp_hdr_, temp_line_.begin());
      for (const int i : temp_read_) temp_line_[static_cast<size_t>(i)] = src[i];
      temp_set_[0] = temp_line_.data();
      for (int i = 1; i < n_; ++i) temp_set_[static_cast<size_t>(i)] = lines_[i];
      map_noaatemp_shown(temp_set_.data(), n_, &cal_, pic_, view_, &temp_state_, temp_);
    }
    if (temp_by_sample_) {
      if (just_read_) temp_columns(temp_line_.data(), temp_shown_, temp_px_, &temp_mixed_);
      paint_row_columns(temp_mixed_, runs_, temp_kmap_.data(), temp_times_, y, canvas_, view_);
    } else {
      paint_row_temp(temp_line_.data(), runs_, xmap_.data(), temp_px_, y, canvas_, view_);
    }
  }
  if (view_->mark_faulty) {
    const int mark = faulty_mark(pic_->file_type, status_);
    if (mark) paint_mark(canvas_, y, mark);
  }
  if (grid_) draw_grid(grid_, static_cast<int>(marks_.size()), W_, y, xmap_.data(), canvas_, view_);
}

}  // namespace

int draw_pic_canvas(PIC_INFO* pic, VIEW_INFO* view, DRAWABLE_INFO* canvas, PassListener* listener) {
  if (!pic || !view) return 0;
  if (!canvas) return 1;
  if (!pic->pic_fp) return 0;
  PicturePass pass(pic, view, canvas, listener);
  switch (pass.prepare()) {
    case PicturePass::Prepared::kReady:
      break;
    case PicturePass::Prepared::kNothing:
      return 0;
    case PicturePass::Prepared::kNoTables:
      return 1;
    case PicturePass::Prepared::kNoMemory:
      // Reported once and not retried: returning 1 would make the caller
      // schedule the same failing pass again and again.
      if (listener) listener->pass_failed("Not enough memory to draw the picture.");
      return 0;
  }
  const int H = canvas->height;
  for (int y = 0; y < pass.rows(); ++y) {
    if (listener && listener->stop_requested()) break;
    if (view->redraw_pending) break;
    pass.read_row(y);
    pass.draw_row(y);
    if (!view->slide_mode && listener) listener->rows_drawn(y, 1);
    if (pass.resized()) {
      // The window was resized during the pass: the tables no longer fit,
      // so draw afresh at the new size and end this pass.
      return draw_pic_canvas(pic, view, canvas, listener);
    }
  }
  if (view->slide_mode && listener) listener->rows_drawn(0, H);
  return view->redraw_pending;
}

int draw_pic(PIC_INFO* pic, VIEW_INFO* view, DRAWABLE_INFO* canvas, PassListener* listener) {
  if (!pic || !view) return 0;
  if (!pic->pic_fp) return 0;
  if (listener) listener->pass_started();
  const int rc = draw_pic_canvas(pic, view, canvas, listener);
  if (listener) listener->pass_ended();
  return rc;
}

}  // namespace kelo
