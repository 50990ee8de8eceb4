#include "core/files/gif_write.h"

#include <algorithm>

#include "core/base/bytes.h"

namespace kelo {

namespace {

constexpr int kMaxCodeWidth = 12;
constexpr int kMaxCodes = 1 << kMaxCodeWidth;  // 4096 table entries
constexpr int kSubBlockMax = 255;              // data sub-block length limit
constexpr int kScreenDescBytes = 13;           // signature, size, flags, background, aspect
constexpr int kImageDescBytes = 10;            // ',' + left, top, width, height + flags
constexpr int kMaxDimension = 0xFFFF;          // u16 fields of the descriptors
// Double hashing as in the classic Unix compress: the first probe mixes
// pixel and prefix, later probes step back by (size - first index).
constexpr int kHashShift = 4;  // (255 << 4) ^ 4095 stays below kGifHashSize

// Pixels per input value for b bits per pixel: b = 1, 2, 4 pack 8/b pixels
// into the low byte, most significant first.
int pixels_per_value(int bits) { return 8 / bits; }

void clear_hash(LZW_STATE* s) { std::fill(std::begin(s->hash_code), std::end(s->hash_code), -1); }

void flush_block(LZW_STATE* s, FILE* fp) {
  if (s->block_fill == 0) return;
  std::fputc(s->block_fill, fp);
  std::fwrite(s->block, 1, static_cast<size_t>(s->block_fill), fp);
  s->block_fill = 0;
}

inline void put_byte(LZW_STATE* s, FILE* fp, uint8_t b) {
  s->block[s->block_fill++] = b;
  if (s->block_fill == kSubBlockMax) flush_block(s, fp);
}

// Writes one code with the current width, then widens the code for the next
// one when the table has outgrown it (the reader widens at the same point).
inline void output(LZW_STATE* s, FILE* fp, int code) {
  s->bit_acc |= static_cast<uint32_t>(code) << s->bit_count;
  s->bit_count += s->code_size;
  while (s->bit_count >= 8) {
    put_byte(s, fp, static_cast<uint8_t>(s->bit_acc & 0xFF));
    s->bit_acc >>= 8;
    s->bit_count -= 8;
  }
  if (s->w_next_free > s->max_code && s->code_size < kMaxCodeWidth) {
    ++s->code_size;
    s->max_code = (1 << s->code_size) - 1;
  }
}

void reset_coder(LZW_STATE* s, int min_code_size) {
  s->code_size = min_code_size + 1;
  s->max_code = (1 << s->code_size) - 1;
  s->w_next_free = s->w_clear_code + 2;
  clear_hash(s);
}

int min_code_size_of(int bits) { return bits == 1 ? 2 : bits; }

// One pixel into the string table / code stream.
inline void compress_pixel(LZW_STATE* s, FILE* fp, int c) {
  int prefix = s->cur_prefix;
  if (prefix < 0) {
    s->cur_prefix = c;
    return;
  }
  int32_t fcode = (static_cast<int32_t>(c) << kMaxCodeWidth) | prefix;
  int i = (c << kHashShift) ^ prefix;
  if (s->hash_code[i] == fcode) {
    s->cur_prefix = s->hash_value[i];
    return;
  }
  if (s->hash_code[i] >= 0) {
    int disp = i == 0 ? 1 : kGifHashSize - i;
    do {
      i -= disp;
      if (i < 0) i += kGifHashSize;
      if (s->hash_code[i] == fcode) {
        s->cur_prefix = s->hash_value[i];
        return;
      }
    } while (s->hash_code[i] >= 0);
  }
  output(s, fp, prefix);
  s->cur_prefix = c;
  if (s->w_next_free < kMaxCodes) {
    s->hash_code[i] = fcode;
    s->hash_value[i] = static_cast<uint16_t>(s->w_next_free++);
  } else {
    // Table full: start a new one, announced by a clear code.
    output(s, fp, s->w_clear_code);
    reset_coder(s, min_code_size_of(s->bits_per_pixel));
  }
}

}  // namespace

int write_gif_header(PIC_INFO* pic) {
  FILE* fp = pic->pic_fp.get();
  LZW_STATE* s = &pic->lzw;
  if (fp == nullptr || pic->depth <= 0 || pic->width <= 0 || pic->height <= 0) return -1;
  // Bits per pixel: min(depth, 8), rounded up to a size that divides a byte.
  int bits = pic->depth >= 5 ? 8 : pic->depth >= 3 ? 4 : pic->depth;
  long screen_width = static_cast<long>(pic->width) * pixels_per_value(bits);
  if (screen_width > kMaxDimension || pic->height > kMaxDimension) return -1;

  s->w_width = pic->width;
  s->w_height = pic->height;
  s->bits_per_pixel = bits;
  int m = min_code_size_of(bits);
  s->w_clear_code = 1 << m;
  s->cur_prefix = -1;
  s->block_fill = 0;
  s->bit_acc = 0;
  s->bit_count = 0;
  reset_coder(s, m);

  const int colours = 1 << bits;
  uint8_t palette[256 * 3];
  for (int i = 0; i < colours; ++i) {
    for (int k = 0; k < 3; ++k) palette[i * 3 + k] = static_cast<uint8_t>(pic->lut[k][i] & 0xFF);
  }
  const size_t palette_bytes = static_cast<size_t>(colours) * 3;

  uint8_t screen[kScreenDescBytes] = {'G', 'I', 'F', '8', '7', 'a'};
  put_le16(screen + 6, static_cast<uint16_t>(screen_width));
  put_le16(screen + 8, static_cast<uint16_t>(pic->height));
  // Global table of 2^b colours, colour resolution b bits.
  screen[10] = static_cast<uint8_t>(0x80 | (bits - 1) << 4 | (bits - 1));
  uint8_t image[kImageDescBytes] = {','};
  put_le16(image + 5, static_cast<uint16_t>(screen_width));
  put_le16(image + 7, static_cast<uint16_t>(pic->height));
  image[9] = static_cast<uint8_t>(0x80 | (bits - 1));  // local table, not interlaced

  std::fwrite(screen, 1, sizeof screen, fp);
  std::fwrite(palette, 1, palette_bytes, fp);
  std::fwrite(image, 1, sizeof image, fp);
  std::fwrite(palette, 1, palette_bytes, fp);
  std::fputc(m, fp);
  if (std::ferror(fp)) return -1;
  output(s, fp, s->w_clear_code);
  return static_cast<int>(sizeof screen + sizeof image + 2 * palette_bytes + 1);
}

int write_gif_line(PIC_INFO* pic, uint16_t* line) {
  FILE* fp = pic->pic_fp.get();
  LZW_STATE* s = &pic->lzw;
  if (fp == nullptr || s->bits_per_pixel == 0) return -1;
  const int n = s->w_width;
  for (int x = 0; x < n; ++x) {
    if (line[x] > 255) line[x] = 255;
  }
  const int bits = s->bits_per_pixel;
  if (bits == 8) {
    for (int x = 0; x < n; ++x) compress_pixel(s, fp, line[x]);
  } else {
    const int per = pixels_per_value(bits);
    const int mask = (1 << bits) - 1;
    for (int x = 0; x < n; ++x) {
      for (int k = per - 1; k >= 0; --k) compress_pixel(s, fp, (line[x] >> (k * bits)) & mask);
    }
  }
  return std::ferror(fp) ? -1 : 0;
}

int write_gif_end(LZW_STATE* s, FILE* fp) {
  if (fp == nullptr || s->bits_per_pixel == 0) return -1;
  if (s->cur_prefix >= 0) output(s, fp, s->cur_prefix);
  output(s, fp, s->w_clear_code + 1);
  // A last code 0 pushes the pending bits out as whole bytes.
  output(s, fp, 0);
  flush_block(s, fp);
  std::fputc(0, fp);
  std::fputc(';', fp);
  s->bits_per_pixel = 0;
  s->cur_prefix = -1;
  int flushed = std::fflush(fp);
  return (flushed != 0 || std::ferror(fp)) ? -1 : 0;
}

}  // namespace kelo
