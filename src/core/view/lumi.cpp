#include "core/view/lumi.h"

#include <algorithm>
#include <cstdlib>

namespace kelo {

namespace {

constexpr int kPeakFraction = 50;  // a level counts when above 2 % of the peak

int peak_of(const VIEW_INFO* view, int last) {
  int peak = 0;
  for (int i = 1; i <= last; ++i) peak = std::max(peak, view->hist[i]);
  return peak;
}

}  // namespace

void calc_lum_thresholds(VIEW_INFO* view, int levels) {
  const int last = std::min(levels, kLutEntries) - 1;
  if (!view || last < 1) return;
  // Level 0 is ignored: it is what lines past the end and cut-off edges show.
  const int t = peak_of(view, last) / kPeakFraction;
  for (int i = 1; i <= last; ++i) {
    if (view->hist[i] > t) {
      view->lmin = i;
      break;
    }
  }
  for (int i = last; i >= 1; --i) {
    if (view->hist[i] > t) {
      view->lmax = i;
      break;
    }
  }
}

int draw_stat(DRAWABLE_INFO* plot, const PIC_INFO* pic, const VIEW_INFO* view, int* lumzoom) {
  if (!plot || !pic || !view || !lumzoom || plot->rgb_buf.empty()) return 0;
  const int W = plot->width - 1;
  const int H = plot->height - 1;
  const int n = std::min(pic->lut_size, kLutEntries) - 1;
  if (W < 1 || H < 1 || n < 1) return 0;
  const long long peak = peak_of(view, n);
  if (peak == 0) return 0;
  *lumzoom = std::max(*lumzoom, 1);
  std::fill(plot->rgb_buf.begin(), plot->rgb_buf.end(), uint8_t{0});

  const KColor red{255, 0, 0};
  const KColor green{0, 255, 0};
  int px = 0, py = 0;
  for (int i = 1; i <= n; ++i) {
    const int x = static_cast<int>(static_cast<long long>(i) * W / n);
    const long long v = std::min(static_cast<long long>(view->hist[i]) * *lumzoom, peak);
    const int y = static_cast<int>(H - v * H / peak);
    // Of several levels on one column only the first is plotted.
    if (x != px) {
      draw_rgbline(plot, red, px, py, x, y);
      py = y;
    }
    px = x;
  }
  for (const int level : {view->lmin, view->lmax}) {
    const int x = static_cast<int>(static_cast<long long>(level) * W / n);
    draw_rgbline(plot, green, x, 0, x, H);
  }
  return 1;
}

int lum_click_level(int x, int plot_width, int lut_size) {
  if (plot_width < 2 || lut_size < 1) return 0;
  const long long level = static_cast<long long>(x) * (lut_size - 1) / (plot_width - 1);
  return static_cast<int>(std::clamp<long long>(level, 0, lut_size - 1));
}

void lum_click(VIEW_INFO* view, int level) {
  if (std::abs(level - view->lmax) < std::abs(level - view->lmin))
    view->lmax = level;
  else
    view->lmin = level;
}

void lum_normalise(VIEW_INFO* view) {
  view->lmin = std::max(view->lmin, 0);
  view->lmax = std::max(view->lmax, 0);
  if (view->lmax < view->lmin) std::swap(view->lmin, view->lmax);
}

}  // namespace kelo
