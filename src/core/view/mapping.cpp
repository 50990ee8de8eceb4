#include "core/view/mapping.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "core/orbit/calc_satpos.h"
#include "core/view/data_proc.h"

namespace kelo {

namespace {

constexpr double kPi = 3.1415926;  // the station's value of pi throughout
// Linearisation works on full scan lines; more than this many pixels per
// line is no recording this station knows (AVHRR 2048, SeaWiFS 1288).
constexpr int kMaxPixelsPerChan = 1 << 16;

// Grey-mode sample addressing: k = present channels before the first shown
// channel, step = channels per pixel, base = header words.
struct SampleAddr {
  int k = 0, step = 1, base = 0;
};

SampleAddr grey_addressing(const PIC_INFO* pic, const VIEW_INFO* view) {
  SampleAddr a;
  a.step = std::max(pic->frame.n_channels, 1);
  a.base = std::max(pic->frame.hdr_words, 0);
  int present_before = 0;
  for (int ch = 1; ch <= kMaxChannels; ++ch) {
    if (!pic->chan_present[ch]) continue;
    if (view->chan_sel[ch]) {
      a.k = present_before;
      break;
    }
    ++present_before;
  }
  // A line that holds one sample per pixel (HRI assembles only the shown
  // channel) has nothing to skip; an offset there would shift the picture.
  if (a.k >= a.step) a.k = 0;
  return a;
}

inline uint8_t red_of(uint32_t e) { return static_cast<uint8_t>((e >> 16) & 0xFF); }
inline uint8_t green_of(uint32_t e) { return static_cast<uint8_t>((e >> 8) & 0xFF); }
inline uint8_t blue_of(uint32_t e) { return static_cast<uint8_t>(e & 0xFF); }

// Row y of the canvas fits columns 0 .. W - 1 and the buffer is in place.
bool row_fits(const DRAWABLE_INFO* rgb, int W, int y) {
  if (!rgb || rgb->rgb_buf.empty() || W <= 0 || y < 0 || W > rgb->width) return false;
  const size_t end = (static_cast<size_t>(y) + 1) * static_cast<size_t>(W) * kRgbBytes;
  return end <= rgb->rgb_buf.size() && static_cast<int64_t>(end) <= static_cast<int64_t>(rgb->rgb_size);
}

inline uint32_t cmap_entry(const DRAWABLE_INFO* rgb, int idx) {
  const int n = static_cast<int>(rgb->rgb_cmap.size());
  if (n == 0) return 0;
  idx = std::clamp(idx, 0, n - 1);
  return rgb->rgb_cmap[static_cast<size_t>(idx)];
}

}  // namespace

// ---------------------------------------------------------------- coordinates

int scrx2picx(int sx, VIEW_INFO* view, PIC_INFO* pic) {
  const ZOOM& z = view->zoom;
  const float step = z.dx > 0.0f ? static_cast<float>(sx) / z.dx : 0.0f;
  float px = static_cast<float>(z.ox) + step;
  if (view->orientation == Orientation::FromSouth)
    px = static_cast<float>(z.ox) - step + static_cast<float>(pic->width) / z.zx;
  px = std::min(px, static_cast<float>(pic->width - 1));
  if (view->linearize) {
    if (view->lin_tbl.empty()) mk_lintbl(pic, view);
    const long long i = static_cast<long long>(2.0f * px);
    if (i >= 0 && i < static_cast<long long>(view->lin_tbl.size())) px = static_cast<float>(view->lin_tbl[i]);
  }
  return static_cast<int>(px + static_cast<float>(pic->x_offset));
}

int scry2picy(int sy, const VIEW_INFO* view, const PIC_INFO* pic) {
  const ZOOM& z = view->zoom;
  const float step = z.dy > 0.0f ? static_cast<float>(sy) / z.dy : 0.0f;
  float py = static_cast<float>(z.oy) + step;
  if (view->scan_dir == ScanDir::BottomUp)
    py = static_cast<float>(z.oy) - step + static_cast<float>(pic->height) / z.zy;
  return static_cast<int>(py) + pic->y_offset;
}

int picx2scrx(int px, const VIEW_INFO* view, const PIC_INFO* pic) {
  const ZOOM& z = view->zoom;
  float p = static_cast<float>(px - pic->x_offset);
  if (view->linearize) {
    const int i = px - pic->x_offset;
    if (i >= 0 && i < static_cast<int>(view->lin_inv.size()))
      p = static_cast<float>(view->lin_inv[static_cast<size_t>(i)]) / 2.0f;
  }
  const float rel = p - static_cast<float>(z.ox);
  if (view->orientation == Orientation::FromSouth)
    return static_cast<int>((static_cast<float>(pic->width) / z.zx - rel) * z.dx);
  return static_cast<int>(rel * z.dx);
}

int picy2scry(int py, const VIEW_INFO* view, const PIC_INFO* pic) {
  const ZOOM& z = view->zoom;
  const float rel = static_cast<float>(py - pic->y_offset) - static_cast<float>(z.oy);
  if (view->scan_dir == ScanDir::BottomUp)
    return static_cast<int>((static_cast<float>(pic->height) / z.zy - rel) * z.dy);
  return static_cast<int>(rel * z.dy);
}

// ---------------------------------------------------------------- linearisation

const std::vector<int>* mk_lintbl(PIC_INFO* pic, VIEW_INFO* view) {
  if (!view->linearize || pic->pixels_per_chan <= 0) return nullptr;
  const int N = pic->pixels_per_chan;
  const int w = pic->width;
  // A picture wider than the full scan line, or a single column, has no
  // straightening: the table arithmetic would leave the scan line or divide
  // by zero. Such pictures are shown as recorded.
  if (N > kMaxPixelsPerChan || w < 2 || w > N) return nullptr;
  int x0 = pic->x_offset;
  if (x0 < 0) x0 = 0;
  if (x0 + w > N) x0 = N - w;

  std::vector<int> T, tbl, inv;
  try {
    T.assign(static_cast<size_t>(2 * N), 0);
    tbl.assign(static_cast<size_t>(2 * N), 0);
    inv.assign(static_cast<size_t>(w), 0);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  const float h = pic->orbit.height > 0.0f ? pic->orbit.height : kDefaultSatHeight;
  const float A = pic->scan_angle;
  const float emax = x2earthangle(h, 0, 0.0f, 1.0f, A);
  if (!(emax > 0.0f)) return nullptr;  // no scan angle: nothing to straighten

  // T: positions linear in ground distance, two per source pixel, to source
  // pixels of the full scan line; the right half mirrors the left.
  T[0] = 0;
  T[static_cast<size_t>(2 * N - 1)] = N - 1;
  int prev = 0;
  for (int i = 0; i < N; ++i) {
    const float e = x2earthangle(h, 0, static_cast<float>(i), static_cast<float>(N), A);
    int m = N - static_cast<int>(static_cast<float>(N - 1) * e / emax) - 1;
    m = std::min(m, N - 1);  // the left half ends at the centre
    for (int j = std::max(prev, 0); j <= m; ++j) {
      T[static_cast<size_t>(j)] = i / 2;
      T[static_cast<size_t>(2 * N - j - 1)] = N - T[static_cast<size_t>(j)] - 1;
    }
    prev = std::max(prev, m + 1);
  }
  const int s = 2 * x0;
  const int denom = T[static_cast<size_t>(2 * w + s - 2)] - T[static_cast<size_t>(s)];
  if (denom <= 0) return nullptr;
  for (int i = 0; i + s <= 2 * N - 1; ++i) {
    const long long v =
        static_cast<long long>(T[static_cast<size_t>(i + s)] - T[static_cast<size_t>(s)]) * (w - 1) / denom;
    tbl[static_cast<size_t>(i)] = static_cast<int>(v);
    if (v >= 0 && v < w) inv[static_cast<size_t>(v)] = i;
  }
  view->lin_tbl.swap(tbl);
  view->lin_inv.swap(inv);
  return &view->lin_tbl;
}

// ---------------------------------------------------------------- tables

int map_xy(int cw, int ch, int rgb_mode, PIC_INFO* pic, VIEW_INFO* view, std::vector<int>* xmap,
           std::vector<int>* ymap) {
  cw = std::max(cw, 0);
  ch = std::max(ch, 0);
  ZOOM& z = view->zoom;
  z.dx = pic->width > 0 ? static_cast<float>(cw) * z.zx / static_cast<float>(pic->width) : 0.0f;
  z.dy = pic->height > 0 ? static_cast<float>(ch) * z.zy / static_cast<float>(pic->height) : 0.0f;
  mk_lintbl(pic, view);

  SampleAddr a;
  if (!rgb_mode) a = grey_addressing(pic, view);
  try {
    xmap->assign(static_cast<size_t>(cw), 0);
  } catch (const std::bad_alloc&) {
    return 1;
  }
  try {
    ymap->assign(static_cast<size_t>(ch), 0);
  } catch (const std::bad_alloc&) {
    return 2;
  }
  for (int sx = 0; sx < cw; ++sx)
    (*xmap)[static_cast<size_t>(sx)] = (scrx2picx(sx, view, pic) - pic->x_offset) * a.step + a.k + a.base;
  const int last = std::max(pic->height - 1, 0);
  for (int sy = 0; sy < ch; ++sy)
    (*ymap)[static_cast<size_t>(sy)] = std::clamp(scry2picy(sy, view, pic) - pic->y_offset, 0, last);
  return 0;
}

int mk_lummap(VIEW_INFO* view, int levels, int npal, std::vector<int>* lummap) {
  if (view->lmax == view->lmin) view->lmax += 1;
  const int n = std::max(levels, kLumMapMin);
  try {
    lummap->assign(static_cast<size_t>(n), 0);
  } catch (const std::bad_alloc&) {
    return 3;
  }
  npal = std::max(npal, 1);
  const int lmin = view->lmin;
  const int lmax = view->lmax;
  const float gamma = view->gamma;
  const bool linear = gamma == 0.0f || gamma == 1.0f || !std::isfinite(gamma);
  float lo = 0.0f, hi = 0.0f;
  if (!linear) {
    lo = std::pow(static_cast<float>(lmin), 1.0f / gamma);
    hi = std::pow(static_cast<float>(lmax), 1.0f / gamma);
  }
  for (int v = 0; v < n; ++v) {
    long long idx;
    if (v < lmin) {
      idx = 0;
    } else if (v > lmax) {
      idx = npal - 1;
    } else if (linear) {
      idx = static_cast<long long>(v - lmin) * npal / (lmax - lmin);
    } else {
      const float f =
          (std::pow(static_cast<float>(v), 1.0f / gamma) - lo) * static_cast<float>(npal) / (hi - lo);
      idx = std::isfinite(f) ? static_cast<long long>(f) : 0;
    }
    idx = std::clamp<long long>(idx, 0, npal - 1);
    if (view->invert) idx = npal - 1 - idx;
    (*lummap)[static_cast<size_t>(v)] = static_cast<int>(idx);
  }
  return 0;
}

int map_pic_canvas(DRAWABLE_INFO* canvas, PIC_INFO* pic, VIEW_INFO* view, int rgb_mode,
                   std::vector<int>* xmap, std::vector<int>* ymap, std::vector<int>* lummap) {
  if (!canvas) return -1;
  const int npal = canvas->n_colors;
  if (map_xy(canvas->width, canvas->height, rgb_mode, pic, view, xmap, ymap) != 0) return 1;
  if (mk_lummap(view, pic->lut_size, npal, lummap) != 0) return 3;
  return 0;
}

// ---------------------------------------------------------------- palettes

std::vector<KColor> std_palette(const PIC_INFO* pic) {
  constexpr int kGreyLevels = 256;
  constexpr int kMaxStdLevels = 1050;  // a picture's table is cut here
  constexpr int kGifColourBits = 8;    // GIF colour tables: one byte per component
  const int n = pic ? std::clamp(pic->lut_size, 1, kMaxStdLevels) : kGreyLevels;
  // The tables hold levels 0 .. n - 1, so n gives their bit width; a GIF's
  // tables hold its 8-bit colour table whatever the number of colours (a
  // 32-colour table shifted by 16 - 5 bits would overflow the components).
  const int bits = (pic && pic->file_type == kKindGIF)
                       ? kGifColourBits
                       : static_cast<int>(std::log(static_cast<double>(n + 1)) / std::log(2.0));
  const int shift = std::max(16 - bits, 0);
  std::vector<KColor> pal(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    KColor& c = pal[static_cast<size_t>(i)];
    if (pic) {
      c.red = static_cast<uint16_t>(pic->lut[0][i] << shift);
      c.green = static_cast<uint16_t>(pic->lut[1][i] << shift);
      c.blue = static_cast<uint16_t>(pic->lut[2][i] << shift);
    } else {
      c.red = c.green = c.blue = static_cast<uint16_t>(i << shift);
    }
  }
  return pal;
}

std::vector<KColor> extra_palette() {
  std::vector<KColor> pal(8);
  for (int i = 0; i < 8; ++i) {
    pal[static_cast<size_t>(i)].red = (i & 4) ? 0xffff : 0;
    pal[static_cast<size_t>(i)].green = (i & 2) ? 0xffff : 0;
    pal[static_cast<size_t>(i)].blue = (i & 1) ? 0xffff : 0;
  }
  return pal;
}

void load_std_palette(DRAWABLE_INFO* canvas, const PIC_INFO* pic) {
  if (canvas) Create_RGBPalette(canvas, std_palette(pic));
}

// ---------------------------------------------------------------- row drawers

void draw_a_line_bw(const uint16_t* line, int line_len, int W, int y, const int* xmap, const int* lummap,
                    int maxlev, DRAWABLE_INFO* rgb, VIEW_INFO* view) {
  if (!line || !xmap || !lummap || !row_fits(rgb, W, y)) return;
  maxlev = std::clamp(maxlev, 0, kLutEntries - 1);
  uint8_t* p = &rgb->rgb_buf[static_cast<size_t>(y) * static_cast<size_t>(W) * kRgbBytes];
  for (int x = 0; x < W; ++x, p += kRgbBytes) {
    const int i = xmap[x];
    if (i < 0 || i >= line_len) {
      p[0] = p[1] = p[2] = 0;
      continue;
    }
    const int v = std::min<int>(line[i], maxlev);
    if (view) view->hist[v] += 1;
    const uint32_t e = cmap_entry(rgb, lummap[v]);
    p[0] = red_of(e);
    p[1] = green_of(e);
    p[2] = blue_of(e);
  }
}

RgbLevelColours rgb_level_colours(const int* lummap, const DRAWABLE_INFO* rgb) {
  constexpr int kMaxIndex = kMaxPalette - 1;
  RgbLevelColours c;
  if (!rgb) return c;
  for (int v = 0; v <= kMaxLevel10; ++v) {
    const int idx = std::min(lummap ? lummap[v] : v, kMaxIndex);
    const uint32_t e = cmap_entry(rgb, idx);
    c.red[v] = red_of(e);
    c.green[v] = green_of(e);
    c.blue[v] = blue_of(e);
  }
  return c;
}

void draw_a_line_rgb_levels(const uint16_t* r, const uint16_t* g, const uint16_t* b, int line_len, int W,
                            int y, const int* xmap, const RgbLevelColours& colours, DRAWABLE_INFO* rgb,
                            VIEW_INFO* view) {
  if (!r || !g || !b || !xmap || !row_fits(rgb, W, y)) return;
  uint8_t* p = &rgb->rgb_buf[static_cast<size_t>(y) * static_cast<size_t>(W) * kRgbBytes];
  for (int x = 0; x < W; ++x, p += kRgbBytes) {
    const int i = xmap[x];
    if (i < 0 || i >= line_len) {
      p[0] = p[1] = p[2] = 0;
      continue;
    }
    const int vr = r[i], vg = g[i], vb = b[i];
    if (view) view->hist[std::min((vr + vg + vb) / 3, kMaxLevel10)] += 1;
    p[0] = colours.red[std::min(vr, kMaxLevel10)];
    p[1] = colours.green[std::min(vg, kMaxLevel10)];
    p[2] = colours.blue[std::min(vb, kMaxLevel10)];
  }
}

void draw_a_line_rgb(const uint16_t* r, const uint16_t* g, const uint16_t* b, int line_len, int W, int y,
                     const int* xmap, const int* lummap, DRAWABLE_INFO* rgb, VIEW_INFO* view) {
  if (!r || !g || !b || !xmap || !row_fits(rgb, W, y)) return;
  draw_a_line_rgb_levels(r, g, b, line_len, W, y, xmap, rgb_level_colours(lummap, rgb), rgb, view);
}

void draw_a_line_func(const uint16_t* line, int line_len, int W, int y, const int* xmap, const int* lummap,
                      DRAWABLE_INFO* rgb, VIEW_INFO* view, PixFunc func) {
  if (!line || !xmap || !func || !row_fits(rgb, W, y)) return;
  uint8_t* p = &rgb->rgb_buf[static_cast<size_t>(y) * static_cast<size_t>(W) * kRgbBytes];
  for (int x = 0; x < W; ++x, p += kRgbBytes) {
    const int i = xmap[x];
    if (i < 0 || i >= line_len) {
      p[0] = p[1] = p[2] = 0;
      continue;
    }
    int cr = 0, cg = 0, cb = 0;
    const int bin = func(line[i], lummap, &cr, &cg, &cb);
    if (view && bin >= 0 && bin < kLutEntries) view->hist[bin] += 1;
    p[0] = red_of(cmap_entry(rgb, cr));
    p[1] = green_of(cmap_entry(rgb, cg));
    p[2] = blue_of(cmap_entry(rgb, cb));
  }
}

void draw_grid(const uint8_t* marks, int marks_len, int W, int y, const int* xmap, DRAWABLE_INFO* rgb,
               const VIEW_INFO* view) {
  if (!marks || !xmap || !row_fits(rgb, W, y)) return;
  uint16_t gr = 0, gg = 0, gb = 0;
  add_gridpix(view, &gr, &gg, &gb);
  uint8_t* p = &rgb->rgb_buf[static_cast<size_t>(y) * static_cast<size_t>(W) * kRgbBytes];
  for (int x = 0; x < W; ++x, p += kRgbBytes) {
    const int i = xmap[x];
    if (i < 0 || i >= marks_len || !marks[i]) continue;
    p[0] = static_cast<uint8_t>(gr);
    p[1] = static_cast<uint8_t>(gg);
    p[2] = static_cast<uint8_t>(gb);
  }
}

// ---------------------------------------------------------------- temperatures

int map_temp(int level, const int* lummap, int* r, int* g, int* b) {
  constexpr int kTmin = 203;  // -70 C
  constexpr int kTmax = 343;  // +70 C
  constexpr int kBins = 1023;
  int t = std::clamp(level / 10, kTmin, kTmax);
  // (t - 203) * 1023 / 140, written as the station always has: 207669 = 203 * 1023.
  int bin = (t * kBins - kTmin * kBins) / (kTmax - kTmin);
  bin = std::clamp(bin, 0, kBins);
  const double a = lummap ? static_cast<double>(lummap[bin]) : 0.0;
  const double rad = kPi / 180.0;
  *g = static_cast<int>(127.0 * (1.0 + std::sin(a * rad)));
  *b = static_cast<int>(127.0 * (1.0 + std::sin((a + 120.0) * rad)));
  *r = static_cast<int>(127.0 * (1.0 + std::sin((a + 240.0) * rad)));
  return bin;
}

TempColours temp_colours(const int* lummap, const DRAWABLE_INFO* rgb) {
  TempColours c;
  if (!rgb) return c;
  for (int t = TempColours::kFirst; t <= TempColours::kLast; ++t) {
    const int k = t - TempColours::kFirst;
    int cr = 0, cg = 0, cb = 0;
    c.bin[k] = map_temp(t * 10, lummap, &cr, &cg, &cb);
    c.red[k] = red_of(cmap_entry(rgb, cr));
    c.green[k] = green_of(cmap_entry(rgb, cg));
    c.blue[k] = blue_of(cmap_entry(rgb, cb));
  }
  return c;
}

void draw_a_line_temp(const uint16_t* line, int line_len, int W, int y, const int* xmap,
                      const TempColours& colours, DRAWABLE_INFO* rgb, VIEW_INFO* view) {
  if (!line || !xmap || !row_fits(rgb, W, y)) return;
  uint8_t* p = &rgb->rgb_buf[static_cast<size_t>(y) * static_cast<size_t>(W) * kRgbBytes];
  for (int x = 0; x < W; ++x, p += kRgbBytes) {
    const int i = xmap[x];
    if (i < 0 || i >= line_len) {
      p[0] = p[1] = p[2] = 0;
      continue;
    }
    // map_temp works on whole kelvins, clamped to its scale.
    const int k = std::clamp(line[i] / 10, TempColours::kFirst, TempColours::kLast) - TempColours::kFirst;
    const int bin = colours.bin[k];
    if (view && bin >= 0 && bin < kLutEntries) view->hist[bin] += 1;
    p[0] = colours.red[k];
    p[1] = colours.green[k];
    p[2] = colours.blue[k];
  }
}

int inv_maptemp(const KColor& colour, const VIEW_INFO* view, int npal) {
  const double red = colour.red & 0xFF, green = colour.green & 0xFF, blue = colour.blue & 0xFF;
  const double deg = 180.0 / kPi;
  // asin is only defined on -1..1; colours not made by map_temp are clamped.
  auto as = [](double c) { return std::asin(std::clamp(c / 127.0 - 1.0, -1.0, 1.0)); };
  int a;
  if (blue > 100 && red <= 49)
    a = static_cast<int>(as(green) * deg);
  else if (red <= 224)
    a = static_cast<int>(120.0 + as(red) * deg);
  else
    a = static_cast<int>(240.0 + as(blue) * deg);
  npal = std::max(npal, 1);
  const int level = view->lmin + (view->lmax - view->lmin) * a / npal;
  return level * 140 / 1000 - 70;
}

}  // namespace kelo
