#include "core/view/row_paint.h"

#include <algorithm>
#include <cstring>

#include "core/base/vector_clones.h"

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

// Paints the n pixels of a row from p on: pixel(c, hist) gives the packed
// colour of column c0 + c and counts it in hist (when kHist). Every pixel but
// the last is stored with its spare byte, which the next pixel (to the right)
// overwrites.
template <bool kHist, class Pixel>
void paint_span(uint8_t* p, int c0, int n, int* hist, Pixel pixel) {
  const int last = c0 + n - 1;
  int c = c0;
  // Four pixels a step: the loop's own count and compare are a third of the
  // work of a pixel that is only a look-up and a store.
  for (; c + 4 <= last; c += 4, p += 4 * kRgbBytes) {
    const uint32_t v0 = pixel.template operator()<kHist>(c, hist);
    const uint32_t v1 = pixel.template operator()<kHist>(c + 1, hist);
    const uint32_t v2 = pixel.template operator()<kHist>(c + 2, hist);
    const uint32_t v3 = pixel.template operator()<kHist>(c + 3, hist);
    std::memcpy(p, &v0, sizeof v0);
    std::memcpy(p + kRgbBytes, &v1, sizeof v1);
    std::memcpy(p + 2 * kRgbBytes, &v2, sizeof v2);
    std::memcpy(p + 3 * kRgbBytes, &v3, sizeof v3);
  }
  for (; c < last; ++c, p += kRgbBytes) {
    const uint32_t v = pixel.template operator()<kHist>(c, hist);
    std::memcpy(p, &v, sizeof v);
  }
  const uint32_t v = pixel.template operator()<kHist>(last, hist);
  std::memcpy(p, &v, kRgbBytes);
}

// Paints row y: pixel(x, hist) gives the packed colour of column x of a run
// and counts it in hist (when kHist); columns between runs are black.
template <bool kHist, class Pixel>
void paint(const ColumnRuns& runs, int y, DRAWABLE_INFO* rgb, int* hist, Pixel pixel) {
  uint8_t* row = &rgb->rgb_buf[static_cast<size_t>(y) * static_cast<size_t>(runs.width) * kRgbBytes];
  int x = 0;
  for (const ColumnRuns::Run& run : runs.runs) {
    std::memset(row + static_cast<size_t>(x) * kRgbBytes, 0, static_cast<size_t>(run.begin - x) * kRgbBytes);
    paint_span<kHist>(row + static_cast<size_t>(run.begin) * kRgbBytes, run.begin, run.end - run.begin, hist,
                      pixel);
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

KELO_VECTOR_CLONES void colour_columns_range(const int* red, const int* green, const int* blue, size_t from,
                                             size_t to, const LevelPixels& tab, MixedColumns* out) {
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

std::vector<int> column_times(const ColumnRuns& runs, const int* kmap, size_t entries) {
  std::vector<int> times(entries, 0);
  if (!kmap) return times;
  for (const ColumnRuns::Run& run : runs.runs)
    for (int x = run.begin; x < run.end; ++x)
      if (kmap[x] >= 0 && static_cast<size_t>(kmap[x]) < entries) ++times[static_cast<size_t>(kmap[x])];
  return times;
}

void paint_row_columns(const MixedColumns& mixed, const ColumnRuns& runs, const int* kmap,
                       const std::vector<int>& times, int y, DRAWABLE_INFO* rgb, VIEW_INFO* view) {
  if (!kmap || mixed.px.empty() || !row_ok(rgb, runs, y)) return;
  if (view) {
    const size_t n = std::min(times.size(), mixed.bin.size());
    for (size_t k = 0; k < n; ++k) view->hist[mixed.bin[k]] += times[k];
  }
  const uint32_t* px = mixed.px.data();
  paint<false>(runs, y, rgb, nullptr, [=]<bool>(int x, int*) { return px[kmap[x]]; });
}

void paint_row_columns(const MixedColumns& mixed, const ColumnRuns& runs, const int* kmap, int y,
                       DRAWABLE_INFO* rgb, VIEW_INFO* view) {
  paint_row_columns(mixed, runs, kmap, column_times(runs, kmap, mixed.px.size()), y, rgb, view);
}

MixedSpans mixed_spans(const ColumnRuns& runs, const int* kmap, size_t count) {
  // A span pays its bounds and clipping per block and row; below this mean
  // length the table of paint_row_columns is quicker.
  constexpr int kMinMeanSpan = 16;
  MixedSpans out;
  if (!kmap) return out;
  bool covered = true;
  int pixels = 0;
  for (const ColumnRuns::Run& run : runs.runs) {
    for (int x = run.begin; x < run.end; ++x) {
      const int k = kmap[x];
      // The entry past the shown columns (level 0) has no mixed level.
      if (k < 0 || static_cast<size_t>(k) >= count) {
        covered = false;
        continue;
      }
      ++pixels;
      MixedSpans::Span* last = out.spans.empty() ? nullptr : &out.spans.back();
      if (last && last->x + last->len == x) {
        const int step = k - (last->k + (last->len - 1) * last->step);
        if ((last->len == 1 && (step == 1 || step == -1)) || (last->len > 1 && step == last->step)) {
          last->step = step;
          ++last->len;
          continue;
        }
      }
      out.spans.push_back({x, k, 1, 1});
    }
  }
  out.direct = covered && !out.spans.empty() &&
               static_cast<long long>(out.spans.size()) * kMinMeanSpan <= static_cast<long long>(pixels);
  return out;
}

void paint_row_gaps(const ColumnRuns& runs, int y, DRAWABLE_INFO* rgb) {
  if (!row_ok(rgb, runs, y)) return;
  uint8_t* row = &rgb->rgb_buf[static_cast<size_t>(y) * static_cast<size_t>(runs.width) * kRgbBytes];
  int x = 0;
  for (const ColumnRuns::Run& run : runs.runs) {
    std::memset(row + static_cast<size_t>(x) * kRgbBytes, 0, static_cast<size_t>(run.begin - x) * kRgbBytes);
    x = run.end;
  }
  std::memset(row + static_cast<size_t>(x) * kRgbBytes, 0, static_cast<size_t>(runs.width - x) * kRgbBytes);
}

namespace {

// The n canvas columns of a row from p on, from the levels at k0, k0 +
// kStep, ...
template <bool kHist, int kStep>
void paint_levels_span(const int* red, const int* green, const int* blue, long long k0, int n,
                       const LevelPixels& tab, uint8_t* p, int* hist) {
  const int* lr = red + k0;
  const int* lg = green + k0;
  const int* lb = blue + k0;
  paint_span<kHist>(p, 0, n, hist, [=, &tab]<bool kCount>(int i, int* h) {
    const long long j = static_cast<long long>(i) * kStep;
    const unsigned vr = static_cast<unsigned>(lr[j]);
    const unsigned vg = static_cast<unsigned>(lg[j]);
    const unsigned vb = static_cast<unsigned>(lb[j]);
    if constexpr (kCount) h[third(static_cast<int>(vr + vg + vb))] += 1;
    return tab.red[vr] | tab.green[vg] | tab.blue[vb];
  });
}

template <bool kHist>
void paint_levels_span(const int* red, const int* green, const int* blue, long long k0, int step, int n,
                       const LevelPixels& tab, uint8_t* p, int* hist) {
  if (step > 0)
    paint_levels_span<kHist, 1>(red, green, blue, k0, n, tab, p, hist);
  else
    paint_levels_span<kHist, -1>(red, green, blue, k0, n, tab, p, hist);
}

}  // namespace

void paint_row_mixed(const int* red, const int* green, const int* blue, size_t from, size_t to,
                     const MixedSpans& spans, const ColumnRuns& runs, const LevelPixels& colours, int y,
                     DRAWABLE_INFO* rgb, VIEW_INFO* view) {
  if (!red || !green || !blue || !row_ok(rgb, runs, y)) return;
  uint8_t* row = &rgb->rgb_buf[static_cast<size_t>(y) * static_cast<size_t>(runs.width) * kRgbBytes];
  const long long lo = static_cast<long long>(from);
  const long long hi = static_cast<long long>(to);
  for (const MixedSpans::Span& s : spans.spans) {
    if (s.x < 0 || s.len <= 0 || s.x + s.len > runs.width) continue;
    // The span's canvas columns whose shown column lies in [from, to), left
    // to right: i runs over the span, k = s.k + i * s.step.
    long long i0 = 0, i1 = s.len;  // [i0, i1)
    if (s.step > 0) {
      i0 = std::max(i0, lo - s.k);
      i1 = std::min(i1, hi - s.k);
    } else {
      i0 = std::max(i0, s.k - hi + 1);
      i1 = std::min(i1, s.k - lo + 1);
    }
    if (i0 >= i1) continue;
    uint8_t* p = row + static_cast<size_t>(s.x + i0) * kRgbBytes;
    const long long k0 = s.k + i0 * s.step;
    const int n = static_cast<int>(i1 - i0);
    if (view)
      paint_levels_span<true>(red, green, blue, k0, s.step, n, colours, p, view->hist);
    else
      paint_levels_span<false>(red, green, blue, k0, s.step, n, colours, p, nullptr);
  }
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

KELO_VECTOR_CLONES void temp_columns(const uint16_t* line, const std::vector<int>& samples,
                                     const TempPixels& colours, MixedColumns* out) {
  if (!line || !out) return;
  const size_t count = samples.size();
  out->px.resize(count + 1);
  out->bin.resize(count + 1);
  out->px[count] = 0;
  out->bin[count] = 0;
  // The samples, then their whole kelvins on the scale (whole vectors at a
  // time), then the look-ups; `t` holds the entries in between.
  int* t = out->bin.data();
  const int* at = samples.data();
  for (size_t k = 0; k < count; ++k) t[k] = line[at[k]];
  for (size_t k = 0; k < count; ++k)
    t[k] = clamp_masked(tenth(t[k]), TempColours::kFirst, TempColours::kLast) - TempColours::kFirst;
  uint32_t* px = out->px.data();
  for (size_t k = 0; k < count; ++k) {
    px[k] = colours.px[t[k]];
    t[k] = colours.bin[t[k]];
  }
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
