// The canvas record and the drawing primitives into its RGB buffer.
//
// Plain memory: the picture pass, the grid, the recorders' live display and
// the headless render all draw here; the drawing-area widget of the GUI only
// copies the buffer to the screen. No GTK in this file.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kelo {

// A colour. For the drawing primitives only the low byte of each component
// is used (0..255); palettes handed to Create_RGBPalette carry 16-bit
// components (0..0xffff).
struct KColor {
  uint16_t red = 0;
  uint16_t green = 0;
  uint16_t blue = 0;
};

inline constexpr int kRgbBytes = 3;                             // red, green, blue per pixel
inline constexpr int kMaxPalette = 256;                         // entries of an indexed colour map
inline constexpr int kFontW = 8;                                // glyph cell: 7 drawn columns + 1 spacing
inline constexpr int kFontH = 8;                                // 7 drawn rows + 1 blank row
inline constexpr int kFontFirst = 32;                           // first character with a glyph (' ')
inline constexpr int kFontLast = 127;                           // last character with a glyph
inline constexpr int kFontGlyphs = kFontLast - kFontFirst + 1;  // 96

// The canvas record. rgb_buf holds width x height pixels of 3 bytes (red,
// green, blue), rows top to bottom without padding; empty until the canvas
// first gets a size. rgb_cmap entries are 0x00RRGGBB.
// A rectangle outline shown over the buffer without being part of it (the
// zoom rectangle): the canvas widget paints it after the buffer, so the
// picture under it is never touched. Corners ordered and inside the canvas.
struct RUBBER_BAND {
  bool shown = false;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  KColor colour;  // 0..255 per component
};

struct DRAWABLE_INFO {
  std::vector<uint8_t> rgb_buf;
  int32_t rgb_size = 0;
  std::vector<uint32_t> rgb_cmap;
  int32_t width = 0;
  int32_t height = 0;
  int32_t n_colors = 0;
  int32_t update = 0;
  RUBBER_BAND band;
};

// The 8x8 font: glyph of character c at (c - 32) * 8, one byte per row, top
// row first, bit 7 the leftmost pixel.
extern const uint8_t kFont8x8[kFontGlyphs * kFontH];

// Make the buffer match width x height. Returns 1 when the buffer was
// (re)allocated (zeroed), 0 when the size was unchanged and the buffer was
// cleared to black, -1 for a negative or too large size (record unchanged).
int renew_rgbbuf(DRAWABLE_INFO* rgbi, int width, int height);

// Replace the colour map: n = min(count, 256) entries, entry i from palette
// entry (count / n) * i, top 8 bits of each 16-bit component.
void Create_RGBPalette(DRAWABLE_INFO* rgbi, const std::vector<KColor>& palette);

void draw_rgbpoint(DRAWABLE_INFO* rgbi, const KColor& colour, int x, int y);
// Reads pixel (x, y) into colour (0..255); 1, or 0 when outside.
int get_rgbpoint(const DRAWABLE_INFO* rgbi, KColor* colour, int x, int y);
void draw_rgbline(DRAWABLE_INFO* rgbi, const KColor& colour, int x1, int y1, int x2, int y2);
void draw_rgbrect(DRAWABLE_INFO* rgbi, const KColor& colour, int x, int y, int w, int h);
void draw_rgbstring(DRAWABLE_INFO* rgbi, const KColor& colour, int x, int y, std::string_view text);
// Pixel row `row` (0..7) of text into line: 8 bytes per character, 255 set,
// 0 clear; stops before a character that would not fit in `length` bytes or
// has no glyph. Returns the number of characters rendered.
int get_strline(std::string_view text, int row, uint8_t* line, int length);

}  // namespace kelo
