// The row painters of the picture pass: grey, RGB levels and temperature
// rows drawn through tables made once per pass, over the canvas columns that
// show a sample (also made once per pass), so the loop over a row's pixels
// tests nothing and divides nothing. They give the pixels and the histogram
// of draw_a_line_bw, draw_a_line_rgb_levels and draw_a_line_temp.
#pragma once

#include <cstdint>
#include <vector>

#include "core/base/records.h"
#include "core/view/mapping.h"
#include "core/view/rgbdraw.h"

namespace kelo {

// The canvas columns 0 .. W - 1 whose column map entry lies in the line
// buffer (0 .. line_len - 1), as runs of neighbouring columns, ascending and
// apart. Every other column of a row is painted black.
struct ColumnRuns {
  struct Run {
    int begin, end;  // canvas columns [begin, end)
  };
  std::vector<Run> runs;
  int width = 0;  // W the runs were made for
};
ColumnRuns column_runs(const int* xmap, int W, int line_len);

// The canvas bytes of every grey level 0 .. maxlev through the luminance map
// and the canvas colour map (red, green, blue and a spare byte, in memory
// order). Empty when the luminance map does not reach maxlev.
struct GreyColours {
  std::vector<uint32_t> px;
  int maxlev = 0;
};
GreyColours grey_colours(const std::vector<int>& lummap, int maxlev, const DRAWABLE_INFO* rgb);

// Row y: line[xmap[x]] (at most maxlev) through `colours`; the histogram
// counts the level. Nothing happens when the colours are empty.
void paint_row_grey(const uint16_t* line, const ColumnRuns& runs, const int* xmap, const GreyColours& colours,
                    int y, DRAWABLE_INFO* rgb, VIEW_INFO* view);
// The canvas bytes of the RGB levels as packed pixels, one table per
// component with the other bytes zero, so a pixel is the OR of three
// look-ups. Made once per pass.
struct LevelPixels {
  uint32_t red[kMaxLevel10 + 1] = {};
  uint32_t green[kMaxLevel10 + 1] = {};
  uint32_t blue[kMaxLevel10 + 1] = {};
};
LevelPixels level_pixels(const RgbLevelColours& colours);

// Row y: levels r, g, b at xmap[x] (each at most 1023; only the low ten
// bits are used) through `colours`; the histogram counts their mean.
void paint_row_levels(const uint16_t* r, const uint16_t* g, const uint16_t* b, const ColumnRuns& runs,
                      const int* xmap, const LevelPixels& colours, int y, DRAWABLE_INFO* rgb,
                      VIEW_INFO* view);
// The canvas bytes and histogram bins of the shown columns of a mixed line,
// made from the straight mix's levels (0 .. 1023) through `colours`, with one more entry after them for level
// 0 (a column the mix leaves alone).
struct MixedColumns {
  std::vector<uint32_t> px;
  std::vector<int> bin;
};
void colour_columns(const int* red, const int* green, const int* blue, size_t count,
                    const LevelPixels& colours, MixedColumns* out);
// colour_columns for columns [from, to) of `count`; `out` must have been made
// for count columns (resize_columns) first.
void resize_columns(size_t count, const LevelPixels& colours, MixedColumns* out);
void colour_columns_range(const int* red, const int* green, const int* blue, size_t from, size_t to,
                          const LevelPixels& colours, MixedColumns* out);
// Row y: canvas column x shows shown column kmap[x] of `mixed` (the
// histogram counts its bin). The same pixels and histogram as
// paint_row_levels on the levels stored at their picture columns.
void paint_row_columns(const MixedColumns& mixed, const ColumnRuns& runs, const int* kmap, int y,
                       DRAWABLE_INFO* rgb, VIEW_INFO* view);
// On how many canvas columns of a row each of `entries` entries is shown
// (made once per pass), so the histogram counts an entry once a row, not
// once a pixel.
std::vector<int> column_times(const ColumnRuns& runs, const int* kmap, size_t entries);
// paint_row_columns with the times of each entry made beforehand.
void paint_row_columns(const MixedColumns& mixed, const ColumnRuns& runs, const int* kmap,
                       const std::vector<int>& times, int y, DRAWABLE_INFO* rgb, VIEW_INFO* view);
// Where the canvas shows the shown columns of a mix one to one (a full or
// zoomed-out view): spans of canvas columns [x, x + len) showing the shown
// columns k, k + step, ... (step 1, or -1 in a view from the south).
// `direct` when the spans cover the runs and are long enough to pay: then a
// row is painted straight from the mixed levels, without the table of
// paint_row_columns in between.
struct MixedSpans {
  struct Span {
    int x, k, len, step;
  };
  std::vector<Span> spans;
  bool direct = false;
};
MixedSpans mixed_spans(const ColumnRuns& runs, const int* kmap, size_t count);
// The black canvas columns of row y between the runs (a direct row paints
// only the spans).
void paint_row_gaps(const ColumnRuns& runs, int y, DRAWABLE_INFO* rgb);
// Row y: the canvas columns of `spans` that show the shown columns [from,
// to), from the straight mix's levels; the same pixels and histogram as
// colour_columns followed by paint_row_columns. The levels must be 0 .. 1023,
// as ColumnMixer::levels gives them: they index the colour tables unmasked
// (the masks were a tenth of the row's work).
void paint_row_mixed(const int* red, const int* green, const int* blue, size_t from, size_t to,
                     const MixedSpans& spans, const ColumnRuns& runs, const LevelPixels& colours, int y,
                     DRAWABLE_INFO* rgb, VIEW_INFO* view);
// The temperature colours as packed pixels with their bins, made once per
// pass.
struct TempPixels {
  static constexpr int kCount = TempColours::kLast - TempColours::kFirst + 1;
  uint32_t px[kCount] = {};
  int bin[kCount] = {};
};
TempPixels temp_pixels(const TempColours& colours);
// The colours and bins of the temperatures (tenths of a kelvin) at the
// listed samples of a line, one entry per sample, for paint_row_columns: a
// zoomed-in view shows each sample on several canvas columns, and its colour
// is looked up once.
void temp_columns(const uint16_t* line, const std::vector<int>& samples, const TempPixels& colours,
                  MixedColumns* out);
// Row y: temperatures (tenths of a kelvin) at xmap[x] in whole kelvins on
// the scale of `colours`; the histogram counts the colour's bin.
void paint_row_temp(const uint16_t* line, const ColumnRuns& runs, const int* xmap, const TempPixels& colours,
                    int y, DRAWABLE_INFO* rgb, VIEW_INFO* view);

}  // namespace kelo
