// The line store of a picture pass: reading with reuse, despeckle, channel
// translation.
#include "core/view/data_proc.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>

#include "core/view/filter_lanes.h"
#endif

#include "core/base/bytes.h"
#include "core/base/vector_clones.h"
#include "core/files/ahrpt1_read.h"
#include "core/files/gif_read.h"
#include "core/files/hri1_read.h"
#include "core/files/hri_functions.h"
#include "core/files/hrpt1_read.h"
#include "core/files/ppm.h"
#include "core/view/filter_lanes_avx2.h"

namespace kelo {

static_assert(kHriMarkBytes == kHriGridBytes, "one grid mark table size for the HRI reader");

namespace {

// Where the samples of a line stand. The recording kinds keep their frame
// header words in front and interleave their channels; the exchange pictures
// and HRI lines are one channel without header.
struct LineLayout {
  int hdr = 0;        // header words before the first sample
  int nch = 1;        // samples per pixel
  int width = 0;      // pixels per line
  bool fits = false;  // the samples lie within a buffer of the set
};

bool is_recording_kind(FileKind file_type) {
  return file_type == kKindHRPT || file_type == kKindCHRPT || file_type == kKindSeaStar ||
         file_type == kKindAHRPT;
}

LineLayout line_layout(const PIC_INFO* pic) {
  LineLayout lay;
  if (is_recording_kind(pic->file_type)) {
    lay.hdr = pic->frame.hdr_words;
    lay.nch = pic->frame.n_channels;
  }
  lay.width = pic->width;
  if (lay.hdr < 0 || lay.nch <= 0 || lay.width <= 0 || pic->frame.words_padded <= 0) {
    return lay;
  }
  // The last sample must lie inside the 2 * words_padded samples a buffer of
  // alloc_lines(words_padded, n) holds; a header that claims more than that is
  // damaged and the line is left alone.
  const long long need = static_cast<long long>(lay.hdr) + static_cast<long long>(lay.width) * lay.nch;
  const long long room = static_cast<long long>(pic->frame.words_padded) * kLineBufFactor;
  lay.fits = need <= room;
  return lay;
}

inline int absdiff(int a, int b) { return a > b ? a - b : b - a; }

// One step of a weighted sum, truncated toward zero; weights from the channel
// map window can be anything, so the sum is kept within int range.
constexpr int kSumLimit = 1000000000;  // far beyond 0..1023, far from int overflow

inline int add_weighted(int sum, uint16_t v, float w) {
  const float t = static_cast<float>(sum) + static_cast<float>(v) * w;
  if (t != t) {
    return sum;  // a NaN weight adds nothing
  }
  if (t < -static_cast<float>(kSumLimit)) {
    return -kSumLimit;
  }
  if (t > static_cast<float>(kSumLimit)) {
    return kSumLimit;
  }
  return static_cast<int>(t);
}

inline uint16_t clamp_level(int v) {
  if (v < 0) {
    return 0;
  }
  if (v > kMapMaxLevel) {
    return kMapMaxLevel;
  }
  return static_cast<uint16_t>(v);
}

inline uint16_t shift_level(uint16_t v, int shift) {
  if (shift >= 16 || shift <= -16) {
    return 0;
  }
  if (shift >= 0) {
    return static_cast<uint16_t>(static_cast<unsigned>(v) << shift);
  }
  return static_cast<uint16_t>(v >> -shift);
}

}  // namespace

int read_line(PIC_INFO* pic, const VIEW_INFO* view, int line, uint16_t* buf, uint16_t* g, uint16_t* b,
              uint8_t* grid) {
  if (pic == nullptr || buf == nullptr || !pic->pic_fp) {
    return 0;
  }
  // The readers take the view for its skip switches and pass direction only.
  auto* rview = const_cast<VIEW_INFO*>(view);
  const long long room = static_cast<long long>(pic->frame.words_padded) * kLineBufFactor;
  switch (pic->file_type) {
    case kKindPPM:
    case kKindPGM:
    case kKindPGM8: {
      if (pic->width <= 0 || pic->width > room) {
        return 0;
      }
      // A short line (truncated file) is not reported as read.
      return read_ppm_line(pic, line, buf, g, b) >= pic->width ? kLineRead : 0;
    }
    case kKindGIF:
      if (pic->width <= 0 || pic->width > room) {
        return 0;
      }
      return read_gif_line(pic, line, buf);
    case kKindHRPT:
    case kKindCHRPT:
    case kKindSeaStar:
      if (pic->frame.words_padded <= 0) {
        return 0;
      }
      return read_hrpt1_line(pic, rview, line, buf);
    case kKindHRI: {
      if (pic->width <= 0 || pic->width > room) {
        return 0;
      }
      uint8_t marks[kHriMarkBytes] = {};
      const int status = read_hri1_line(pic, rview, line, buf, marks);
      if (view != nullptr && view->grid_on && grid != nullptr) {
        add_hrigrid(pic, grid, marks);
      }
      return status;
    }
    case kKindAHRPT:
      if (room < kAhrptLineValues) {
        return 0;  // the set cannot hold an AHRPT line
      }
      return read_ahrpt1_line(pic, rview, line, buf);
    default:
      return kLineRead;
  }
}

int read_lines(const VIEW_INFO* view, PIC_INFO* pic, const int* linemap, int index, int n, uint16_t** lines,
               uint16_t* g, uint16_t* b, uint8_t* grid, LineMemory* memory) {
  return read_lines_shown(view, pic, linemap, index, n, lines, g, b, grid, memory, nullptr);
}

int read_lines_shown(const VIEW_INFO* view, PIC_INFO* pic, const int* linemap, int index, int n,
                     uint16_t** lines, uint16_t* g, uint16_t* b, uint8_t* grid, LineMemory* memory,
                     const DespeckleSamples* shown) {
  if (pic == nullptr || linemap == nullptr || lines == nullptr || n <= 0 || index < 0) {
    return 0;
  }
  const int first = linemap[index];
  // The memory speaks only for the size it was filled at; a set read at
  // another size is read whole.
  const bool held = memory != nullptr && memory->n == n && memory->first >= 0;
  int start = 0;
  // Upper-block lines (0 .. n/3 - 1) that already hold the despeckled line
  // of the centre line they face now.
  int filtered_ahead = 0;
  if (index > 0 && held) {
    const int ymp = memory->first;
    if (first == ymp) {
      return 0;  // the set already holds (and has filtered) these lines
    }
    if (n > 1 && first > ymp) {
      const long long d = static_cast<long long>(first) - ymp;
      // The filtered lines at the head of the set move back into the upper
      // block, where they face the same centre line as before.
      if (d < n) {
        const int di = static_cast<int>(d);
        for (int i = 0; i < n - di; ++i) {
          std::swap(lines[i], lines[i + di]);
        }
        start = n - di;
        const bool same_filter =
            memory->filtered && (memory->filtered_at == nullptr || memory->filtered_at == shown);
        if (same_filter && di < n / 3) {
          filtered_ahead = n / 3 - di;
        }
      }
    }
  }
  int status = 0;
  for (int i = start; i < n; ++i) {
    status |= read_line(pic, view, first + i, lines[i], g, b, grid);
  }
  const bool filter = view != nullptr && view->despeckle_on;
  // The filter may skip the samples no one shows only while every line the
  // next set can take over from this one lies on the picture: a line past
  // its end is not read again, so its buffer keeps what this set left there
  // and must then hold the whole filtered line, as it always did.
  const bool only_shown =
      shown != nullptr && static_cast<long long>(first) + 2LL * n <= static_cast<long long>(pic->height);
  if (filter) {
    if (only_shown) {
      // Filtering a despeckled line again against the same centre line gives
      // it back unchanged (a kept sample is kept again, a replaced one equals
      // the centre), so those lines are left as they are.
      despeckle_shown(pic, view, lines, n, filtered_ahead, *shown);
    } else {
      despeckle(pic, view, lines, n);
    }
  }
  if (memory != nullptr) {
    memory->first = first;
    memory->n = n;
    memory->filtered = filter;
    memory->filtered_at = only_shown ? shown : nullptr;
  }
  return status;
}

namespace {

// Samples between two shown ones that are filtered along rather than
// starting a new run.
constexpr int kRunGap = 16;

// The despeckle test of one sample: a speckle stands apart from all four
// neighbours by about the same amount, and by more than the pixel limit; it
// keeps the sample of the line above, anything else takes the centre sample.
inline uint16_t despeckled(const uint16_t* above, const uint16_t* centre, const uint16_t* below, int p, int s,
                           int ulimit, int llimit) {
  const int ctr = centre[p];
  const int up = above[p];
  const int a = absdiff(ctr, up);
  const int bl = absdiff(ctr, below[p]);
  const int l = absdiff(ctr, centre[p - s]);
  const int r = absdiff(ctr, centre[p + s]);
  // x < y as the sign bit of x - y in 64 bits (no limit can overflow it):
  // the test is made without a branch, which speckled pictures would
  // mispredict at every other sample.
  auto less = [](long long x, long long y) {
    return static_cast<unsigned>(static_cast<unsigned long long>(x - y) >> 63);
  };
  const unsigned speckle = less(absdiff(a, bl), ulimit) & less(absdiff(l, r), ulimit) &
                           less(absdiff(a, l), ulimit) & less(llimit, a);
  const unsigned keep = 0u - speckle;  // all ones for a speckle
  return static_cast<uint16_t>((static_cast<unsigned>(up) & keep) | (static_cast<unsigned>(ctr) & ~keep));
}

#if defined(__SSE2__)
struct Sse2Lanes {
  using V = __m128i;
  static constexpr int kLanes = 8;
  static V load(const uint16_t* q) { return _mm_loadu_si128(reinterpret_cast<const V*>(q)); }
  static void store(uint16_t* q, V v) { _mm_storeu_si128(reinterpret_cast<V*>(q), v); }
  static V set1(uint16_t v) { return _mm_set1_epi16(static_cast<short>(v)); }
  static V zero() { return _mm_setzero_si128(); }
  static V subs(V x, V y) { return _mm_subs_epu16(x, y); }
  static V eq(V x, V y) { return _mm_cmpeq_epi16(x, y); }
  static V or_(V x, V y) { return _mm_or_si128(x, y); }
  static V and_(V x, V y) { return _mm_and_si128(x, y); }
  static V andnot(V x, V y) { return _mm_andnot_si128(x, y); }
  static V xor_(V x, V y) { return _mm_xor_si128(x, y); }
};
#endif

// The despeckle filter over samples [begin, end) of one upper-block line,
// sixteen samples at a time where the processor has AVX2, eight where it
// has SSE2 (every x86-64 one), the rest one by one.
void filter_span(uint16_t* above, const uint16_t* centre, const uint16_t* below, int begin, int end, int s,
                 int ulimit, int llimit) {
  int p = begin;
#if defined(__SSE2__)
  constexpr int kMaxSample = 0xFFFF;
  if (ulimit <= 0 || llimit >= kMaxSample) {
    // No difference is below the limit, or none above the pixel limit: no
    // sample is a speckle.
    for (; p < end; ++p) above[p] = centre[p];
    return;
  }
  const auto ulm1 = static_cast<uint16_t>(std::min(ulimit - 1, kMaxSample));
  const auto llv = static_cast<uint16_t>(std::max(llimit, 0));
  const bool any_a = llimit < 0;
#if defined(KELO_DESPECKLE_AVX2) && !defined(KELO_NO_VECTOR_CLONES)
  // The processor's answer is a flag the runtime read at start-up.
  if (__builtin_cpu_supports("avx2"))
    p = filter_lanes_avx2(above, centre, below, p, end, s, ulm1, llv, any_a);
#endif
  p = filter_lanes<Sse2Lanes>(above, centre, below, p, end, s, ulm1, llv, any_a);
#endif
  for (; p < end; ++p) {
    above[p] = despeckled(above, centre, below, p, s, ulimit, llimit);
  }
}

// The same filter on every step-th sample of [begin, end): one channel of
// an interleaved line.
void filter_strided(uint16_t* above, const uint16_t* centre, const uint16_t* below, int begin, int end,
                    int step, int s, int ulimit, int llimit) {
  for (int p = begin; p < end; p += step) {
    above[p] = despeckled(above, centre, below, p, s, ulimit, llimit);
  }
}

}  // namespace

void despeckle(const PIC_INFO* pic, const VIEW_INFO* view, uint16_t** lines, int n) {
  if (pic == nullptr || view == nullptr || lines == nullptr) {
    return;
  }
  const int m = n / 3;
  if (m <= 0) {
    return;
  }
  const LineLayout lay = line_layout(pic);
  if (!lay.fits || lay.width < 3) {
    return;
  }
  const int s = lay.nch;
  const int begin = lay.hdr + s;                  // column 1
  const int end = lay.hdr + (lay.width - 1) * s;  // column width - 1
  for (int i = 0; i < m; ++i) {
    uint16_t* above = lines[i];
    const uint16_t* centre = lines[m + i];
    const uint16_t* below = lines[2 * m + i];
    if (above == nullptr || centre == nullptr || below == nullptr) {
      continue;
    }
    filter_span(above, centre, below, begin, end, s, view->desp_ulimit, view->desp_llimit);
  }
}

DespeckleSamples despeckle_samples(const PIC_INFO* pic, const std::vector<int>& wanted) {
  DespeckleSamples out;
  if (pic == nullptr) {
    return out;
  }
  const LineLayout lay = line_layout(pic);
  out.hdr = lay.hdr;
  out.nch = lay.nch;
  out.width = lay.width;
  if (!lay.fits || lay.width < 3) {
    return out;
  }
  const long long begin = lay.hdr + static_cast<long long>(lay.nch);
  const long long end = lay.hdr + static_cast<long long>(lay.width - 1) * lay.nch;
  std::vector<int> at;
  for (const int p : wanted) {
    if (p >= begin && p < end) {
      at.push_back(p);
    }
  }
  std::sort(at.begin(), at.end());
  // A grey or temperature view shows one channel: its samples are filtered
  // one pixel apart instead of with every channel in between.
  bool one_channel = lay.nch > 1;
  for (const int p : at) {
    one_channel = one_channel && (p - at.front()) % lay.nch == 0;
  }
  const int step = one_channel ? lay.nch : 1;
  // Filtered one by one, samples of one channel gain nothing from a longer
  // run: only neighbouring pixels join it.
  const int reach = one_channel ? step : kRunGap;
  for (const int p : at) {
    if (!out.runs.empty() && p < out.runs.back().end + reach) {
      out.runs.back().end = p + 1;
    } else {
      out.runs.push_back({p, p + 1, step});
    }
  }
  return out;
}

void despeckle_shown(const PIC_INFO* pic, const VIEW_INFO* view, uint16_t** lines, int n, int first,
                     const DespeckleSamples& shown) {
  if (pic == nullptr || view == nullptr || lines == nullptr) {
    return;
  }
  const int m = n / 3;
  const LineLayout lay = line_layout(pic);
  if (m <= 0 || !lay.fits || lay.width < 3) {
    return;
  }
  // The list was checked against this layout when it was made.
  if (shown.hdr != lay.hdr || shown.nch != lay.nch || shown.width != lay.width) {
    return;
  }
  for (int i = std::max(first, 0); i < m; ++i) {
    uint16_t* above = lines[i];
    const uint16_t* centre = lines[m + i];
    const uint16_t* below = lines[2 * m + i];
    if (above == nullptr || centre == nullptr || below == nullptr) {
      continue;
    }
    for (const DespeckleSamples::Run& run : shown.runs) {
      if (run.step == 1) {
        filter_span(above, centre, below, run.begin, run.end, lay.nch, view->desp_ulimit, view->desp_llimit);
      } else {
        filter_strided(above, centre, below, run.begin, run.end, run.step, lay.nch, view->desp_ulimit,
                       view->desp_llimit);
      }
    }
  }
}

uint16_t** alloc_lines(int words_padded, int n) {
  if (words_padded <= 0 || n <= 0) {
    return nullptr;
  }
  size_t samples = 0;
  if (!checked_size(static_cast<size_t>(words_padded), kLineBufFactor, static_cast<size_t>(1) << 30,
                    &samples)) {
    return nullptr;
  }
  auto** set = new (std::nothrow) uint16_t*[static_cast<size_t>(n)];
  if (set == nullptr) {
    return nullptr;
  }
  for (int i = 0; i < n; ++i) {
    set[i] = nullptr;
  }
  for (int i = 0; i < n; ++i) {
    set[i] = new (std::nothrow) uint16_t[samples]();
    if (set[i] == nullptr) {
      free_lines(set, n);
      return nullptr;
    }
  }
  return set;
}

void free_lines(uint16_t** lines, int n) {
  if (lines == nullptr) {
    return;
  }
  for (int i = 0; i < n; ++i) {
    delete[] lines[i];
  }
  delete[] lines;
}

namespace {

// The mapped channels of a view, in channel order, with what the pixel loop
// needs of each; built once per line.
struct MapPlan {
  struct Chan {
    int k;            // place of the channel within a pixel
    long long tilt;   // tilt of the channel
    long long jbase;  // vshift - vshift_min
    long long hoff;   // hshift * n_channels + k
    float wr, wg, wb;
  };
  Chan chan[kMaxChannels];
  int count = 0;
  int offset[3] = {};
};

MapPlan make_plan(const VIEW_INFO* view, const PIC_INFO* pic, const LineLayout& lay) {
  MapPlan plan;
  for (int c = 0; c < 3; ++c) {
    // Offsets come from the channel map window; kept within the range the
    // sums can carry.
    const long long off = 4LL * view->map_offset[c];
    plan.offset[c] = static_cast<int>(off < -kSumLimit ? -kSumLimit : (off > kSumLimit ? kSumLimit : off));
  }
  int k = 0;
  for (int ch = 1; ch <= kMaxChannels; ++ch) {
    if (!pic->chan_present[ch]) {
      continue;
    }
    if (view->map_used[ch]) {
      MapPlan::Chan& c = plan.chan[plan.count++];
      c.k = k;
      c.tilt = view->tilt[ch];
      c.jbase = static_cast<long long>(view->vshift[ch]) - view->vshift_min;
      c.hoff = static_cast<long long>(view->hshift[ch]) * lay.nch + k;
      c.wr = view->map_wr[ch];
      c.wg = view->map_wg[ch];
      c.wb = view->map_wb[ch];
    }
    ++k;
  }
  return plan;
}

// One pixel by the plan: each mapped channel from its aligned line (the line
// moves from -tilt at the left edge to +tilt at the right) and shifted column.
void map_pixel(const MapPlan& plan, const LineLayout& lay, int x, long long index, uint16_t** lines, int n,
               uint16_t* r, uint16_t* g, uint16_t* b) {
  int sr = plan.offset[0];
  int sg = plan.offset[1];
  int sb = plan.offset[2];
  if (lay.fits && lines != nullptr) {
    const long long first_sample = lay.hdr;
    const long long end_sample = lay.hdr + static_cast<long long>(lay.width) * lay.nch;
    for (int i = 0; i < plan.count; ++i) {
      const MapPlan::Chan& c = plan.chan[i];
      const long long j = c.tilt == 0 ? c.jbase : (c.tilt * x * 2) / lay.width - c.tilt + c.jbase;
      if (j < 0 || j >= n) {
        break;  // the aligned line is not held: this and later channels add nothing
      }
      const long long col = c.hoff + index;
      // A shift that moves the sample off the picture line adds nothing (the
      // shifted channel is black beyond the edge).
      const uint16_t* src = lines[j];
      if (src != nullptr && col >= first_sample && col < end_sample) {
        const uint16_t v = src[col];
        sr = add_weighted(sr, v, c.wr);
        sg = add_weighted(sg, v, c.wg);
        sb = add_weighted(sb, v, c.wb);
      }
    }
  }
  *r = clamp_level(sr);
  *g = clamp_level(sg);
  *b = clamp_level(sb);
}

// The mix of a line set whose channels are all aligned without tilt and whose
// weights keep every sum far inside the int range: each channel reads one
// line, and no sum needs the NaN and range guards of add_weighted (the same
// float steps, so the same levels).
struct FastMix {
  struct Chan {
    int line;    // the aligned line of the set
    int base;    // sample of column 0: hdr + hshift * n_channels + k
    int lo, hi;  // columns whose shifted sample lies on the line
    float wr, wg, wb;
  };
  Chan chan[kMaxChannels];
  int count = 0;
};

bool make_fast_mix(const MapPlan& plan, const LineLayout& lay, int n, FastMix* fast) {
  if (!lay.fits) {
    return false;
  }
  // Sums stay below this bound: the float steps never reach the guards
  // (kSumLimit), and every sum is exact in single precision, so adding the
  // zero of a column shifted off the line leaves it as it is.
  constexpr double kSafeSum = 1 << 23;
  double reach[3] = {std::fabs(static_cast<double>(plan.offset[0])),
                     std::fabs(static_cast<double>(plan.offset[1])),
                     std::fabs(static_cast<double>(plan.offset[2]))};
  fast->count = 0;
  for (int i = 0; i < plan.count; ++i) {
    const MapPlan::Chan& c = plan.chan[i];
    if (c.tilt != 0) {
      return false;  // the line changes across the row: the general path
    }
    if (c.jbase < 0 || c.jbase >= n) {
      break;  // the aligned line is not held: this and later channels add nothing
    }
    const float w[3] = {c.wr, c.wg, c.wb};
    for (int k = 0; k < 3; ++k) {
      if (!std::isfinite(w[k])) {
        return false;
      }
      reach[k] += std::fabs(static_cast<double>(w[k])) * 65535.0;
    }
    // A channel without weight adds zero to every sum, which leaves it as it
    // is: it is not read at all.
    if (c.wr == 0.0f && c.wg == 0.0f && c.wb == 0.0f) {
      continue;
    }
    // x + hshift must lie on the line: 0 <= x + hshift < width.
    const long long hshift = (c.hoff - c.k) / lay.nch;
    const long long lo = std::max<long long>(0, -hshift);
    const long long hi = std::min<long long>(lay.width, lay.width - hshift);
    FastMix::Chan& f = fast->chan[fast->count++];
    f.line = static_cast<int>(c.jbase);
    f.base = static_cast<int>(lay.hdr + c.hoff);
    f.lo = static_cast<int>(std::min<long long>(lo, lay.width));
    f.hi = static_cast<int>(std::max<long long>(hi, 0));
    f.wr = c.wr;
    f.wg = c.wg;
    f.wb = c.wb;
  }
  return reach[0] < kSafeSum && reach[1] < kSafeSum && reach[2] < kSafeSum;
}

}  // namespace

void Translate_Pix(int x, const VIEW_INFO* view, const PIC_INFO* pic, uint16_t** lines, int n, int index,
                   uint16_t* r, uint16_t* g, uint16_t* b) {
  if (view == nullptr || pic == nullptr) {
    *r = *g = *b = 0;
    return;
  }
  const LineLayout lay = line_layout(pic);
  map_pixel(make_plan(view, pic, lay), lay, x, index, lines, n, r, g, b);
}

void Translate_Line(const VIEW_INFO* view, const PIC_INFO* pic, int shift, int unused, int no_mirror,
                    uint16_t** lines, int n, uint16_t* r, uint16_t* g, uint16_t* b) {
  (void)unused;
  if (view == nullptr || pic == nullptr || r == nullptr || g == nullptr || b == nullptr) {
    return;
  }
  const LineLayout lay = line_layout(pic);
  const MapPlan plan = make_plan(view, pic, lay);
  const bool mirror = no_mirror == 0 && view->orientation == Orientation::FromSouth;
  for (int x = 0; x < lay.width; ++x) {
    uint16_t cr = 0;
    uint16_t cg = 0;
    uint16_t cb = 0;
    map_pixel(plan, lay, x, lay.hdr + static_cast<long long>(x) * lay.nch, lines, n, &cr, &cg, &cb);
    const int pos = mirror ? lay.width - 1 - x : x;
    r[pos] = shift_level(cr, shift);
    g[pos] = shift_level(cg, shift);
    b[pos] = shift_level(cb, shift);
  }
}

std::vector<int> shown_columns(const PIC_INFO* pic, const std::vector<int>& xmap) {
  std::vector<int> cols;
  if (pic == nullptr || pic->width <= 0) {
    return cols;
  }
  // A pass's colour rows hold words_padded * kLineBufFactor entries; the
  // row drawer reads no entry beyond them.
  const long long row = static_cast<long long>(std::max(pic->frame.words_padded, 1)) * kLineBufFactor;
  const long long limit = std::min<long long>(pic->width, row);
  for (const int c : xmap) {
    if (c >= 0 && c < limit) {
      cols.push_back(c);
    }
  }
  std::sort(cols.begin(), cols.end());
  cols.erase(std::unique(cols.begin(), cols.end()), cols.end());
  return cols;
}

std::vector<int> mix_samples(const VIEW_INFO* view, const PIC_INFO* pic, const std::vector<int>& columns) {
  std::vector<int> out;
  if (view == nullptr || pic == nullptr) {
    return out;
  }
  const LineLayout lay = line_layout(pic);
  if (!lay.fits) {
    return out;
  }
  const MapPlan plan = make_plan(view, pic, lay);
  const long long end = lay.hdr + static_cast<long long>(lay.width) * lay.nch;
  for (int i = 0; i < plan.count; ++i) {
    for (const int c : columns) {
      const long long col = plan.chan[i].hoff + lay.hdr + static_cast<long long>(c) * lay.nch;
      if (col >= lay.hdr && col < end) {
        out.push_back(static_cast<int>(col));
      }
    }
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

void Translate_Columns(const VIEW_INFO* view, const PIC_INFO* pic, uint16_t** lines, int n,
                       const std::vector<int>& columns, uint16_t* r, uint16_t* g, uint16_t* b) {
  ColumnMixer mixer;
  mixer.mix(view, pic, lines, n, columns, r, g, b);
}

void ColumnMixer::mix(const VIEW_INFO* view, const PIC_INFO* pic, uint16_t** lines, int n,
                      const std::vector<int>& columns, uint16_t* r, uint16_t* g, uint16_t* b) {
  prepare(view, pic, n, columns);
  mix_prepared(lines, n, r, g, b);
}

void ColumnMixer::prepare(const VIEW_INFO* view, const PIC_INFO* pic, int n,
                          const std::vector<int>& columns) {
  view_ = view;
  pic_ = pic;
  columns_ = &columns;
  straight_ = false;
  chans_.clear();
  at_.clear();
  if (view == nullptr || pic == nullptr) {
    return;
  }
  const LineLayout lay = line_layout(pic);
  const MapPlan plan = make_plan(view, pic, lay);
  std::copy(plan.offset, plan.offset + 3, offset_);
  FastMix fast;
  if (!make_fast_mix(plan, lay, n, &fast)) {
    return;
  }
  straight_ = true;
  const size_t count = columns.size();
  on_ = 0;
  off_ = count;
  for (int i = 0; i < fast.count; ++i) {
    const FastMix::Chan& f = fast.chan[i];
    // The columns are ascending, so those on the line are one run.
    Chan c;
    c.line = f.line;
    c.base = f.base;
    c.on = static_cast<size_t>(std::lower_bound(columns.begin(), columns.end(), f.lo) - columns.begin());
    c.off = static_cast<size_t>(std::lower_bound(columns.begin(), columns.end(), f.hi) - columns.begin());
    c.off = std::max(c.off, c.on);
    c.w[0] = f.wr;
    c.w[1] = f.wg;
    c.w[2] = f.wb;
    chans_.push_back(c);
    on_ = std::max(on_, c.on);
    off_ = std::min(off_, c.off);
  }
  off_ = std::max(off_, on_);
  at_.resize(count);
  for (size_t k = 0; k < count; ++k) {
    at_[k] = columns[k] * lay.nch;
  }
  // A channel's row keeps zero at the columns whose sample lies off the
  // line: adding zero leaves a sum as it is, so every column takes the same
  // steps.
  value_.assign(chans_.size() * count, 0);
}

namespace {

// Gathers the samples of M channels at the shown columns [from, to): row i
// of `out` takes src[i][at[k]]. One pass over the columns for all channels;
// the channels are spelt out (a fold over their indices), so every source
// and row pointer stays in a register at any optimisation level.
template <size_t... I>
void gather_rows(const uint16_t* const* src, int* const* out, const int* at, size_t from, size_t to,
                 std::index_sequence<I...>) {
  const uint16_t* const s[] = {src[I]...};
  int* const o[] = {out[I]...};
  for (size_t k = from; k < to; ++k) {
    const int a = at[k];
    ((o[I][k] = s[I][a]), ...);
  }
}
template <int M>
void gather_rows(const uint16_t* const* src, int* const* out, const int* at, size_t from, size_t to) {
  gather_rows(src, out, at, from, to, std::make_index_sequence<M>{});
}

void gather_one(const uint16_t* src, int* out, const int* at, size_t from, size_t to) {
  for (size_t k = from; k < to; ++k) out[k] = src[at[k]];
}

}  // namespace

void ColumnMixer::mix_prepared(uint16_t** lines, int n, uint16_t* r, uint16_t* g, uint16_t* b) {
  if (view_ == nullptr || pic_ == nullptr || columns_ == nullptr || r == nullptr || g == nullptr ||
      b == nullptr) {
    return;
  }
  const std::vector<int>& columns = *columns_;
  const LineLayout lay = line_layout(pic_);
  if (!straight_ || lines == nullptr) {
    const MapPlan plan = make_plan(view_, pic_, lay);
    for (const int x : columns) {
      map_pixel(plan, lay, x, lay.hdr + static_cast<long long>(x) * lay.nch, lines, n, &r[x], &g[x], &b[x]);
    }
    return;
  }
  mix_levels(lines, n);
  const size_t count = columns.size();
  uint16_t* out[3] = {r, g, b};
  for (int c = 0; c < 3; ++c) {
    const int* l = levels_[c].data();
    uint16_t* o = out[c];
    for (size_t k = 0; k < count; ++k) {
      o[columns[k]] = static_cast<uint16_t>(l[k]);
    }
  }
}

void ColumnMixer::mix_levels(uint16_t** lines, int n) {
  if (columns_ != nullptr) mix_levels(lines, n, 0, columns_->size());
}

KELO_VECTOR_CLONES void ColumnMixer::mix_levels(uint16_t** lines, int n, size_t from, size_t to) {
  if (!straight_ || lines == nullptr || columns_ == nullptr) {
    return;
  }
  const size_t count = columns_->size();
  to = std::min(to, count);
  from = std::min(from, to);
  // The samples of every channel (its own line, from picture column 0 at its
  // base); a missing buffer adds nothing (that channel only).
  const size_t m = chans_.size();
  const uint16_t* src[kMaxChannels];
  int* row[kMaxChannels];
  bool held[kMaxChannels] = {};
  size_t used = 0;
  const size_t on = std::clamp(on_, from, to);
  const size_t off = std::clamp(off_, on, to);
  const int* at = at_.data();
  for (size_t i = 0; i < m; ++i) {
    const Chan& ch = chans_[i];
    const uint16_t* line = ch.line < n ? lines[ch.line] : nullptr;
    if (line == nullptr) {
      continue;
    }
    held[i] = true;
    src[used] = line + ch.base;
    row[used] = &value_[i * count];
    // The columns before and after those all channels share.
    gather_one(src[used], row[used], at, std::max(ch.on, from), std::min(on, ch.off));
    gather_one(src[used], row[used], at, std::max(off, ch.on), std::min(ch.off, to));
    ++used;
  }
  for (size_t i = 0; i < used;) {
    const size_t left = used - i;
    if (left >= 4) {
      gather_rows<4>(src + i, row + i, at, on, off);
      i += 4;
    } else if (left == 3) {
      gather_rows<3>(src + i, row + i, at, on, off);
      i += 3;
    } else if (left == 2) {
      gather_rows<2>(src + i, row + i, at, on, off);
      i += 2;
    } else {
      gather_one(src[i], row[i], at, on, off);
      i += 1;
    }
  }
  // Colour by colour, channel by channel over the columns, with the float
  // steps of add_weighted: the pixels do not wait on each other. The first
  // step starts from the offset, the last one clamps the sum to a level.
  for (int c = 0; c < 3; ++c) {
    levels_[c].resize(count);
    int* level = levels_[c].data();
    const int* v[kMaxChannels];
    float w[kMaxChannels];
    size_t steps = 0;
    for (size_t i = 0; i < m; ++i) {
      if (held[i] && chans_[i].w[c] != 0.0f) {  // a zero weight adds zero
        v[steps] = &value_[i * count];
        w[steps++] = chans_[i].w[c];
      }
    }
    const int offset = offset_[c];
    if (steps == 0) {
      std::fill(level + from, level + to, std::clamp(offset, 0, kMapMaxLevel));
      continue;
    }
    const float first_offset = static_cast<float>(offset);
    const int* v0 = v[0];
    const float w0 = w[0];
    if (steps == 1) {
      for (size_t k = from; k < to; ++k) {
        level[k] =
            std::clamp(static_cast<int>(first_offset + static_cast<float>(v0[k]) * w0), 0, kMapMaxLevel);
      }
      continue;
    }
    for (size_t k = from; k < to; ++k) {
      level[k] = static_cast<int>(first_offset + static_cast<float>(v0[k]) * w0);
    }
    for (size_t j = 1; j + 1 < steps; ++j) {
      const int* vj = v[j];
      const float wj = w[j];
      for (size_t k = from; k < to; ++k) {
        level[k] = static_cast<int>(static_cast<float>(level[k]) + static_cast<float>(vj[k]) * wj);
      }
    }
    const int* vl = v[steps - 1];
    const float wl = w[steps - 1];
    for (size_t k = from; k < to; ++k) {
      level[k] = std::clamp(static_cast<int>(static_cast<float>(level[k]) + static_cast<float>(vl[k]) * wl),
                            0, kMapMaxLevel);
    }
  }
}

void add_gridpix(const VIEW_INFO* view, uint16_t* r, uint16_t* g, uint16_t* b) {
  if (view == nullptr) {
    *r = 255;
    *g = 255;
    *b = 255;
    return;
  }
  *r = view->grid_rgb[0];
  *g = view->grid_rgb[1];
  *b = view->grid_rgb[2];
}

}  // namespace kelo
