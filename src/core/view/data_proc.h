// The line store of a picture pass: a set of line buffers, reading file lines
// through the reader of the open file kind (reusing lines already held), the
// despeckle filter, and the translation of one line's channels into red, green
// and blue by the RGB channel map.
//
// A line buffer holds one file line as 16-bit samples: the line's header words
// first (hdr_words of them), then the picture samples with the present
// channels interleaved per pixel, sample of the k-th present channel of pixel
// x at hdr_words + x * n_channels + k. Each buffer has room for
// 2 * words_padded samples (words_padded positions of 4 bytes), which the HRI
// reader and the grid buffer use.
#pragma once

#include <cstdint>
#include <vector>

#include "core/base/records.h"

namespace kelo {

// Samples one buffer of a line set can hold for a line of `words_padded` words.
inline constexpr int kLineBufFactor = 2;  // words_padded positions of 4 bytes
// Grid marks of one HRI line (a local table of read_line).
inline constexpr int kHriMarkBytes = 680;
// Highest sample level of the RGB channel map (10-bit levels).
inline constexpr int kMapMaxLevel = 1023;

// Reads file line `line` into `buf` by the reader of pic->file_type. Colour
// PPM pictures fill `buf` (red), `g` and `b`; HRI lines fill `grid` (one mark
// byte per picture column) when view->grid_on is set. Returns the reader's
// status (bit 0x01 read, 0x0C pre sync, 0xE0 post sync) or 0 when no line was
// read; kinds without a reader read nothing and return 1.
int read_line(PIC_INFO* pic, const VIEW_INFO* view, int line, uint16_t* buf, uint16_t* g, uint16_t* b,
              uint8_t* grid);

// What a line set holds from its last fill: the first file line and the
// size of the set it was read for. It belongs to the set (LineSet keeps one),
// so the screen pass, an export started in the middle of it and a second
// picture drawn at the same time never take each other's lines as held.
struct DespeckleSamples;
struct LineMemory {
  int first = -1;  // first file line of the set, -1: nothing held
  int n = 0;
  // The upper block holds despeckled lines: filtered at every sample (null)
  // or at the samples of this list.
  bool filtered = false;
  const DespeckleSamples* filtered_at = nullptr;
};

// Fills the n buffers of `lines` with file lines linemap[index] ...
// linemap[index] + n - 1, reusing the lines the set already holds from the
// previous call (by swapping buffer pointers, never copying samples) as
// `memory` tells; index 0 is the first row of a pass and always reads, and a
// null memory reads every line. Despeckles the set when view->despeckle_on
// is set. Returns the OR of the statuses of the lines read, 0 when nothing
// was read (also when the set already holds these lines).
int read_lines(const VIEW_INFO* view, PIC_INFO* pic, const int* linemap, int index, int n, uint16_t** lines,
               uint16_t* g, uint16_t* b, uint8_t* grid, LineMemory* memory);

// The samples of a line that the despeckle filter may change and a picture
// pass actually shows, as runs of neighbouring samples (a short gap between
// two shown samples is filtered with them: a longer run filters faster than
// two short ones, and filtering a sample no one shows does no harm). Made by
// despeckle_samples for one picture; the filter checks that the picture's
// line layout still matches before using it.
struct DespeckleSamples {
  struct Run {
    int begin, end;  // sample indices [begin, end), each with both neighbours on the line
    int step;        // 1, or n_channels when the pass shows one channel only
  };
  std::vector<Run> runs;  // ascending, apart
  int hdr = 0, nch = 0, width = 0;
};

// The samples among `wanted` (indices into a line buffer) that the filter
// works on for this picture: the picture samples of columns 1 .. width - 2.
DespeckleSamples despeckle_samples(const PIC_INFO* pic, const std::vector<int>& wanted);

// read_lines for a pass that shows only some samples: the filter runs only
// on `shown` (every sample when null), and upper-block lines the set already
// holds filtered for the same centre line are not filtered again (the filter
// gives a filtered line back unchanged).
int read_lines_shown(const VIEW_INFO* view, PIC_INFO* pic, const int* linemap, int index, int n,
                     uint16_t** lines, uint16_t* g, uint16_t* b, uint8_t* grid, LineMemory* memory,
                     const DespeckleSamples* shown);

// Filters the line set in place: the set is taken as three blocks of n / 3
// lines (upper, centre, lower); lines[0 .. n/3 - 1] receive the despeckled
// centre lines. Fewer than 3 lines: nothing happens.
void despeckle(const PIC_INFO* pic, const VIEW_INFO* view, uint16_t** lines, int n);
// The same filter on the listed samples of upper-block lines first .. n/3 - 1
// only; a list made for another line layout filters nothing.
void despeckle_shown(const PIC_INFO* pic, const VIEW_INFO* view, uint16_t** lines, int n, int first,
                     const DespeckleSamples& shown);

// A line set of n buffers for lines of `words_padded` words (each buffer has
// 2 * words_padded samples, zero-filled), or null when n or words_padded is
// not positive or any allocation fails. Free it with free_lines.
uint16_t** alloc_lines(int words_padded, int n);
// Frees every non-null buffer of the set and the set; null is accepted.
void free_lines(uint16_t** lines, int n);

// A line set that frees itself (alloc_lines / free_lines underneath).
class LineSet {
 public:
  LineSet() = default;
  LineSet(int words_padded, int n) : lines_(alloc_lines(words_padded, n)), n_(lines_ ? n : 0) {}
  ~LineSet() { free_lines(lines_, n_); }
  LineSet(const LineSet&) = delete;
  LineSet& operator=(const LineSet&) = delete;
  LineSet(LineSet&& other) noexcept : lines_(other.lines_), n_(other.n_), memory_(other.memory_) {
    other.lines_ = nullptr;
    other.n_ = 0;
    other.memory_ = LineMemory{};
  }
  LineSet& operator=(LineSet&& other) noexcept {
    if (this != &other) {
      free_lines(lines_, n_);
      lines_ = other.lines_;
      n_ = other.n_;
      memory_ = other.memory_;
      other.lines_ = nullptr;
      other.n_ = 0;
      other.memory_ = LineMemory{};
    }
    return *this;
  }
  bool ok() const { return lines_ != nullptr; }
  uint16_t** get() const { return lines_; }
  int size() const { return n_; }
  uint16_t* operator[](int i) const { return lines_[i]; }
  // Which file lines the set holds, for read_lines.
  LineMemory* memory() { return &memory_; }
  // Forgets the lines held, so the next read_lines reads every line.
  void forget() { memory_ = LineMemory{}; }

 private:
  uint16_t** lines_ = nullptr;
  int n_ = 0;
  LineMemory memory_;
};

// One output pixel of the RGB channel map: the weighted sums of the mapped
// channels (each channel taken from its aligned line of the set and shifted
// column), plus 4 * map_offset, each clamped to 0 .. 1023.
// index = hdr_words + x * n_channels.
void Translate_Pix(int x, const VIEW_INFO* view, const PIC_INFO* pic, uint16_t** lines, int n, int index,
                   uint16_t* r, uint16_t* g, uint16_t* b);

// One whole output line of pic->width pixels into r, g, b. Stored at x, or at
// width - 1 - x when no_mirror is 0 and the view shows the satellite from the
// south (Orientation::FromSouth); then each component is shifted left by `shift` bits
// (right by -shift when negative). The fourth argument is not used.
void Translate_Line(const VIEW_INFO* view, const PIC_INFO* pic, int shift, int unused, int no_mirror,
                    uint16_t** lines, int n, uint16_t* r, uint16_t* g, uint16_t* b);

// The picture columns an RGB pass shows: the distinct entries of the column
// map that lie on the picture line (0 .. width - 1), ascending.
std::vector<int> shown_columns(const PIC_INFO* pic, const std::vector<int>& xmap);

// The samples of a line the RGB mix reads for the given picture columns: the
// sample of every mapped channel at its shifted column, where that lies on
// the line. Ascending, each once.
std::vector<int> mix_samples(const VIEW_INFO* view, const PIC_INFO* pic, const std::vector<int>& columns);

// Translate_Line for the listed picture columns only (as shown_columns gives
// them), stored at the column, unmirrored and unshifted; the other entries of
// r, g and b are left alone.
void Translate_Columns(const VIEW_INFO* view, const PIC_INFO* pic, uint16_t** lines, int n,
                       const std::vector<int>& columns, uint16_t* r, uint16_t* g, uint16_t* b);

// Translate_Columns for a pass. prepare works out once for the pass what
// every mapped channel reads at the shown columns (the sample of each column,
// the columns whose sample lies on the line); mix_prepared then mixes each
// line set of n lines without looking at the view again. The view, picture
// and column list must stay as they were between the two.
class ColumnMixer {
 public:
  void prepare(const VIEW_INFO* view, const PIC_INFO* pic, int n, const std::vector<int>& columns);
  void mix_prepared(uint16_t** lines, int n, uint16_t* r, uint16_t* g, uint16_t* b);
  // The straight mix (channels without tilt, every sum exact in single
  // precision) leaves the levels of a line, one per shown column:
  // straight() tells whether the pass mixes so, mix_levels mixes a line set
  // (all shown columns, or a block [from, to) of them, so the working rows
  // stay in the fastest cache), levels(c) gives the red (0), green (1) or
  // blue (2) levels 0 .. kMapMaxLevel.
  bool straight() const { return straight_; }
  void mix_levels(uint16_t** lines, int n);
  void mix_levels(uint16_t** lines, int n, size_t from, size_t to);
  const std::vector<int>& levels(int c) const { return levels_[c]; }
  // prepare and mix_prepared in one.
  void mix(const VIEW_INFO* view, const PIC_INFO* pic, uint16_t** lines, int n,
           const std::vector<int>& columns, uint16_t* r, uint16_t* g, uint16_t* b);

 private:
  // A mapped channel of the straight mix (no tilt, every sum exact in
  // single precision): its aligned line, its weights, and the shown columns
  // [on, off) (indices into the column list) whose sample lies on the line.
  struct Chan {
    int line;
    int base;  // sample of picture column 0
    size_t on, off;
    float w[3];
  };
  const VIEW_INFO* view_ = nullptr;
  const PIC_INFO* pic_ = nullptr;
  const std::vector<int>* columns_ = nullptr;
  bool straight_ = false;
  int offset_[3] = {};
  std::vector<Chan> chans_;
  std::vector<int> at_;         // n_channels * column of every shown column
  size_t on_ = 0, off_ = 0;     // the shown columns every channel has on the line
  std::vector<int> value_;      // the gathered samples, one row per channel
  std::vector<int> levels_[3];  // red, green and blue levels per shown column
};

// The colour of a grid pixel: the view's grid_rgb, or white without a view.
void add_gridpix(const VIEW_INFO* view, uint16_t* r, uint16_t* g, uint16_t* b);

}  // namespace kelo
