#include "core/view/row_paint.h"

#include <algorithm>
#include <cstring>

namespace kelo {

namespace {

// Quotients by 3 and by 10 as a multiply and a shift, exact over the ranges
// the painters see: the sum of three 10-bit levels, and 16-bit samples.
constexpr int kMaxLevelSum = 3 * kMaxLevel10;
constexpr int third(int s) { return (s * 43691) >> 17; }
constexpr int tenth(int v) { return static_cast<int>((static_cast<uint32_t>(v) * 52429u) >> 19); }
constexpr bool thirds_exact() {
  for (int s = 0; s <= kMaxLevelSum; ++s)
    if (third(s) != s / 3) return false;
  return true;
}
constexpr bool tenths_exact() {
  for (int v = 0; v <= 0xFFFF; ++v)
    if (tenth(v) != v / 10) return false;
  return true;
}
static_assert(thirds_exact(), "third() is s / 3 for every level sum");
static_assert(tenths_exact(), "tenth() is v / 10 for every 16-bit sample");

// v limited to lo .. hi with masks instead of compares (a compiler turns a
// compare into a jump where one side is a constant).
constexpr int clamp_masked(int v, int lo, int hi) {
  int d = v - lo;
  d &= ~(d >> 31);  // max(d, 0)
  const int e = d - (hi - lo);
  return lo + (hi - lo) + (e & (e >> 31));  // lo + min(d, hi - lo)
}
constexpr bool clamp_masked_exact() {
  for (int v = 0; v <= 0xFFFF / 10; ++v)
    if (clamp_masked(v, TempColours::kFirst, TempColours::kLast) !=
        std::clamp(v, TempColours::kFirst, TempColours::kLast))
      return false;
  return true;
}
static_assert(clamp_masked_exact(), "clamp_masked() is std::clamp over the whole kelvins of 16-bit samples");

// Red, green, blue and a spare byte in memory order, so one 4-byte store
// puts a pixel's three bytes in place (the spare byte is overwritten by the
// next pixel of the run).
uint32_t pack(uint8_t r, uint8_t g, uint8_t b) {
  const uint8_t q[4] = {r, g, b, 0};
  uint32_t v = 0;
  std::memcpy(&v, q, sizeof v);
  return v;
}

bool row_ok(const DRAWABLE_INFO* rgb, const ColumnRuns& runs, int y) {
  const int W = runs.width;
  if (!rgb || W <= 0 || y < 0 || W > rgb->width) return false;
  const size_t end = (static_cast<size_t>(y) + 1) * static_cast<size_t>(W) * kRgbBytes;
  return end <= rgb->rgb_buf.size() && static_cast<int64_t>(end) <= static_cast<int64_t>(rgb->rgb_size);
}

// Paints row y: pixel(x, hist) gives the packed colour of column x of a run
// and counts it in hist (when kHist); columns between runs are black.
template <bool kHist, class Pixel>
void paint(const ColumnRuns& runs, int y, DRAWABLE_INFO* rgb, int* hist, Pixel pixel) {
  uint8_t* row = &rgb->rgb_buf[static_cast<size_t>(y) * static_cast<size_t>(runs.width) * kRgbBytes];
  int x = 0;
  for (const ColumnRuns::Run& run : runs.runs) {
    std::memset(row + static_cast<size_t>(x) * kRgbBytes, 0, static_cast<size_t>(run.begin - x) * kRgbBytes);
    uint8_t* p = row + static_cast<size_t>(run.begin) * kRgbBytes;
    const int last = run.end - 1;
    for (int c = run.begin; c < last; ++c, p += kRgbBytes) {
      const uint32_t v = pixel.template operator()<kHist>(c, hist);
      std::memcpy(p, &v, sizeof v);
    }
    const uint32_t v = pixel.template operator()<kHist>(last, hist);
    std::memcpy(p, &v, kRgbBytes);
    x = run.end;
  }
  std::memset(row + static_cast<size_t>(x) * kRgbBytes, 0, static_cast<size_t>(runs.width - x) * kRgbBytes);
}

template <class Pixel>
void paint_row(const ColumnRuns& runs, int y, DRAWABLE_INFO* rgb, VIEW_INFO* view, Pixel pixel) {
  if (view)
    paint<true>(runs, y, rgb, view->hist, pixel);
  else
    paint<false>(runs, y, rgb, nullptr, pixel);
}

}  // namespace

ColumnRuns column_runs(const int* xmap, int W, int line_len) {
  ColumnRuns out;
  if (!xmap || W <= 0) return out;
  out.width = W;
  for (int x = 0; x < W; ++x) {
    if (xmap[x] < 0 || xmap[x] >= line_len) continue;
    if (!out.runs.empty() && out.runs.back().end == x)
      out.runs.back().end = x + 1;
    else
      out.runs.push_back({x, x + 1});
  }
  return out;
}

GreyColours grey_colours(const std::vector<int>& lummap, int maxlev, const DRAWABLE_INFO* rgb) {
  GreyColours c;
  maxlev = std::clamp(maxlev, 0, kLutEntries - 1);
  if (!rgb || static_cast<int>(lummap.size()) <= maxlev) return c;
  c.maxlev = maxlev;
  c.px.resize(static_cast<size_t>(maxlev) + 1);
  const int n = static_cast<int>(rgb->rgb_cmap.size());
  for (int v = 0; v <= maxlev; ++v) {
    const uint32_t e =
        n == 0 ? 0 : rgb->rgb_cmap[static_cast<size_t>(std::clamp(lummap[static_cast<size_t>(v)], 0, n - 1))];
    c.px[static_cast<size_t>(v)] =
        pack(static_cast<uint8_t>(e >> 16), static_cast<uint8_t>(e >> 8), static_cast<uint8_t>(e));
  }
  return c;
}

void paint_row_grey(const uint16_t* line, const ColumnRuns& runs, const int* xmap, const GreyColours& colours,
                    int y, DRAWABLE_INFO* rgb, VIEW_INFO* view) {
  if (!line || !xmap || colours.px.empty() || !row_ok(rgb, runs, y)) return;
  const uint32_t* px = colours.px.data();
  const int maxlev = colours.maxlev;
  paint_row(runs, y, rgb, view, [=]<bool kHist>(int x, int* hist) {
    const int v = std::min<int>(line[xmap[x]], maxlev);
    if constexpr (kHist) hist[v] += 1;
    return px[v];
  });
}

LevelPixels level_pixels(const RgbLevelColours& c) {
  LevelPixels p;
  for (int v = 0; v <= kMaxLevel10; ++v) {
    p.red[v] = pack(c.red[v], 0, 0);
    p.green[v] = pack(0, c.green[v], 0);
    p.blue[v] = pack(0, 0, c.blue[v]);
  }
  return p;
}

void paint_row_levels(const uint16_t* r, const uint16_t* g, const uint16_t* b, const ColumnRuns& runs,
                      const int* xmap, const LevelPixels& colours, int y, DRAWABLE_INFO* rgb,
                      VIEW_INFO* view) {
  if (!r || !g || !b || !xmap || !row_ok(rgb, runs, y)) return;
  const uint32_t* pr = colours.red;
  const uint32_t* pg = colours.green;
  const uint32_t* pb = colours.blue;
  paint_row(runs, y, rgb, view, [=]<bool kHist>(int x, int* hist) {
    const size_t i = static_cast<size_t>(xmap[x]);
    const unsigned vr = r[i] & kMaxLevel10;
    const unsigned vg = g[i] & kMaxLevel10;
    const unsigned vb = b[i] & kMaxLevel10;
    if constexpr (kHist) hist[third(static_cast<int>(vr + vg + vb))] += 1;
    return pr[vr] | pg[vg] | pb[vb];
  });
}

void resize_columns(size_t count, const LevelPixels& tab, MixedColumns* out) {
  if (!out) return;
  out->px.resize(count + 1);
  out->bin.resize(count + 1);
  out->px[count] = tab.red[0] | tab.green[0] | tab.blue[0];
  out->bin[count] = 0;
}

void colour_columns_range(const int* red, const int* green, const int* blue, size_t from, size_t to,
                          const LevelPixels& tab, MixedColumns* out) {
  if (!red || !green || !blue || !out || to + 1 > out->px.size() || from > to) return;
  // Bins first (whole vectors at a time), then the look-ups. Levels are
  // 0 .. 1023; the masks keep any other value on the tables.
  const int* lr = red;
  const int* lg = green;
  const int* lb = blue;
  int* bin = out->bin.data();
  for (size_t k = from; k < to; ++k)
    bin[k] = third((lr[k] & kMaxLevel10) + (lg[k] & kMaxLevel10) + (lb[k] & kMaxLevel10));
  uint32_t* px = out->px.data();
  for (size_t k = from; k < to; ++k) {
    px[k] = tab.red[static_cast<unsigned>(lr[k]) & kMaxLevel10] |
            tab.green[static_cast<unsigned>(lg[k]) & kMaxLevel10] |
            tab.blue[static_cast<unsigned>(lb[k]) & kMaxLevel10];
  }
}

void colour_columns(const int* red, const int* green, const int* blue, size_t count, const LevelPixels& tab,
                    MixedColumns* out) {
  if (!out) return;
  resize_columns(count, tab, out);
  colour_columns_range(red, green, blue, 0, count, tab, out);
}

void paint_row_columns(const MixedColumns& mixed, const ColumnRuns& runs, const int* kmap, int y,
                       DRAWABLE_INFO* rgb, VIEW_INFO* view) {
  if (!kmap || mixed.px.empty() || !row_ok(rgb, runs, y)) return;
  const uint32_t* px = mixed.px.data();
  const int* bin = mixed.bin.data();
  paint_row(runs, y, rgb, view, [=]<bool kHist>(int x, int* hist) {
    const size_t k = static_cast<size_t>(kmap[x]);
    if constexpr (kHist) hist[bin[k]] += 1;
    return px[k];
  });
}

TempPixels temp_pixels(const TempColours& c) {
  TempPixels p;
  for (int k = 0; k < TempPixels::kCount; ++k) {
    p.px[k] = pack(c.red[k], c.green[k], c.blue[k]);
    // The bins are those of map_temp (0 .. 1023), all inside the histogram.
    p.bin[k] = std::clamp(c.bin[k], 0, kMaxLevel10);
  }
  return p;
}

void paint_row_temp(const uint16_t* line, const ColumnRuns& runs, const int* xmap, const TempPixels& colours,
                    int y, DRAWABLE_INFO* rgb, VIEW_INFO* view) {
  if (!line || !xmap || !row_ok(rgb, runs, y)) return;
  const uint32_t* px = colours.px;
  const int* bin = colours.bin;
  paint_row(runs, y, rgb, view, [=]<bool kHist>(int x, int* hist) {
    const int k =
        clamp_masked(tenth(line[xmap[x]]), TempColours::kFirst, TempColours::kLast) - TempColours::kFirst;
    if constexpr (kHist) hist[bin[k]] += 1;
    return px[k];
  });
}

}  // namespace kelo
