// From picture samples to canvas pixels: the screen/picture coordinate
// mapping (zoom, pan, mirroring, earth-curvature linearisation), the
// luminance map, the palettes, the temperature colours and the row drawers.
#pragma once

#include <cstdint>
#include <vector>

#include "core/base/records.h"
#include "core/view/rgbdraw.h"

namespace kelo {

// Sample levels a luminance map always covers: RGB mixes and the temperature
// bins reach 1023 even for pictures with fewer levels.
inline constexpr int kLumMapMin = 1024;
// Largest level the RGB mixes and the histogram of a mix can take (10 bits).
inline constexpr int kMaxLevel10 = 1023;
// Orbit height assumed for linearisation when the picture has no orbit (m).
inline constexpr float kDefaultSatHeight = 800000.0f;

// Build the per-pass tables for a canvas record: 0; -1 without a canvas; 1
// when map_xy failed; 3 when lummap failed.
int map_pic_canvas(DRAWABLE_INFO* canvas, PIC_INFO* pic, VIEW_INFO* view, int rgb_mode,
                   std::vector<int>* xmap, std::vector<int>* ymap, std::vector<int>* lummap);

// Screen column -> line-buffer index and screen row -> file line for a
// cw x ch canvas. 0; 1 when xmap, 2 when ymap cannot be made.
int map_xy(int cw, int ch, int rgb_mode, PIC_INFO* pic, VIEW_INFO* view, std::vector<int>* xmap,
           std::vector<int>* ymap);

// Level -> palette index for levels 0 .. max(levels, 1024) - 1 with the
// view's lmin/lmax (lmax raised by one when equal), gamma and invert.
// 0, or 3 when the table cannot be made.
int mk_lummap(VIEW_INFO* view, int levels, int npal, std::vector<int>* lummap);

int scrx2picx(int sx, VIEW_INFO* view, PIC_INFO* pic);
int scry2picy(int sy, const VIEW_INFO* view, const PIC_INFO* pic);
int picx2scrx(int px, const VIEW_INFO* view, const PIC_INFO* pic);
int picy2scry(int py, const VIEW_INFO* view, const PIC_INFO* pic);

// Rebuild the view's linearisation tables; returns the new lin_tbl, or null
// when linearisation is off or not possible (the old tables then stay).
const std::vector<int>* mk_lintbl(PIC_INFO* pic, VIEW_INFO* view);

// Palettes. std_palette: the picture's own colours (grey ramp without a
// picture); extra_palette: the 8 drawing colours (black, blue, green, cyan,
// red, magenta, yellow, white).
std::vector<KColor> std_palette(const PIC_INFO* pic);
std::vector<KColor> extra_palette();
void load_std_palette(DRAWABLE_INFO* canvas, const PIC_INFO* pic);

// Row drawers into row y of the canvas, columns 0 .. W - 1. line_len is the
// number of samples in the line buffer(s); xmap entries outside it draw
// black. view (may be null) collects the histogram.
void draw_a_line_bw(const uint16_t* line, int line_len, int W, int y, const int* xmap, const int* lummap,
                    int maxlev, DRAWABLE_INFO* rgb, VIEW_INFO* view);
// lummap may be null (levels used as palette indexes directly); otherwise it
// must have at least kLumMapMin entries.
void draw_a_line_rgb(const uint16_t* r, const uint16_t* g, const uint16_t* b, int line_len, int W, int y,
                     const int* xmap, const int* lummap, DRAWABLE_INFO* rgb, VIEW_INFO* view);
// The canvas bytes of every RGB level 0 .. 1023 through the luminance map
// (may be null) and the canvas colour map, looked up once for a whole pass
// instead of three times for every pixel.
struct RgbLevelColours {
  uint8_t red[kMaxLevel10 + 1] = {};
  uint8_t green[kMaxLevel10 + 1] = {};
  uint8_t blue[kMaxLevel10 + 1] = {};
};
RgbLevelColours rgb_level_colours(const int* lummap, const DRAWABLE_INFO* rgb);
// draw_a_line_rgb with the colours of the canvas's map when `colours` was
// made (the same pixels and histogram).
void draw_a_line_rgb_levels(const uint16_t* r, const uint16_t* g, const uint16_t* b, int line_len, int W,
                            int y, const int* xmap, const RgbLevelColours& colours, DRAWABLE_INFO* rgb,
                            VIEW_INFO* view);
using PixFunc = int (*)(int level, const int* lummap, int* r, int* g, int* b);
void draw_a_line_func(const uint16_t* line, int line_len, int W, int y, const int* xmap, const int* lummap,
                      DRAWABLE_INFO* rgb, VIEW_INFO* view, PixFunc func);
void draw_grid(const uint8_t* marks, int marks_len, int W, int y, const int* xmap, DRAWABLE_INFO* rgb,
               const VIEW_INFO* view);

// The canvas bytes and histogram bin of every temperature map_temp tells
// apart (whole kelvins 203 .. 343), worked out once for a whole pass instead
// of three sines for every pixel.
struct TempColours {
  static constexpr int kFirst = 203, kLast = 343;  // -70 C .. +70 C
  uint8_t red[kLast - kFirst + 1] = {};
  uint8_t green[kLast - kFirst + 1] = {};
  uint8_t blue[kLast - kFirst + 1] = {};
  int bin[kLast - kFirst + 1] = {};
};
TempColours temp_colours(const int* lummap, const DRAWABLE_INFO* rgb);
// draw_a_line_func with map_temp, by the table (the same pixels and histogram).
void draw_a_line_temp(const uint16_t* line, int line_len, int W, int y, const int* xmap,
                      const TempColours& colours, DRAWABLE_INFO* rgb, VIEW_INFO* view);

// Temperature (tenths of a kelvin) -> colour indexes; returns the histogram
// bin 0..1023. lummap must have at least kLumMapMin entries.
int map_temp(int level, const int* lummap, int* r, int* g, int* b);
// Temperature in degrees C of a colour drawn by map_temp.
int inv_maptemp(const KColor& colour, const VIEW_INFO* view, int npal);

}  // namespace kelo
