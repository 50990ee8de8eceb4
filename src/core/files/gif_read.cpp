#include "core/files/gif_read.h"

#include <algorithm>
#include <cstring>

#include "core/base/bytes.h"

namespace kelo {

namespace {

// Layout of the GIF blocks (published GIF format).
constexpr size_t kScreenDescBytes = 13;  // "GIF87a" + width, height (u16), flags, background, aspect
constexpr size_t kScreenFlagsOff = 10;
constexpr size_t kImageDescBytes = 9;  // left, top, width, height (u16 each) + flags
constexpr size_t kImageWidthOff = 4;
constexpr size_t kImageHeightOff = 6;
constexpr size_t kImageFlagsOff = 8;
constexpr int kColourTableFlag = 0x80;
constexpr int kColourTableSizeMask = 0x07;  // table of 2^(n + 1) colours
constexpr int kBytesPerColour = 3;
constexpr int kMaxCodeWidth = 12;
constexpr int kMinCodeSize = 1;  // some 1-bit encoders write 1; see read_gif_header
constexpr int kMaxCodeSize = 9;
constexpr int kInterlacedFlag = 0x40;
// An interlaced image is decoded whole; its decoded pixels stop here (a
// damaged or hostile file that claims more gives zeros beyond).
constexpr size_t kMaxWholePixels = size_t{1} << 28;

// Reads a colour table of n colours into the translation tables.
bool read_colour_table(FILE* fp, int n, PIC_INFO* pic) {
  uint8_t rgb[256 * kBytesPerColour];
  size_t bytes = static_cast<size_t>(n) * kBytesPerColour;
  if (std::fread(rgb, 1, bytes, fp) != bytes) return false;
  for (int i = 0; i < n; ++i) {
    pic->lut[0][i] = rgb[i * kBytesPerColour];
    pic->lut[1][i] = rgb[i * kBytesPerColour + 1];
    pic->lut[2][i] = rgb[i * kBytesPerColour + 2];
  }
  pic->lut_size = n;
  return true;
}

// Skips data sub-blocks up to and including the zero-length one.
bool skip_sub_blocks(FILE* fp) {
  for (;;) {
    int len = std::fgetc(fp);
    if (len == EOF) return false;
    if (len == 0) return true;
    if (std::fseek(fp, len, SEEK_CUR) != 0) return false;
  }
}

void reset_bit_reader(LZW_STATE* s) {
  s->rd_block_len = 0;
  s->rd_block_pos = 0;
  s->rd_bits = 0;
  s->rd_nbits = 0;
  s->rd_data_end = 0;
}

// Loads the next data sub-block; false at the block terminator or the end
// of the file (or a sub-block cut short by it, of which the bytes that are
// there are kept).
bool next_sub_block(LZW_STATE* s, FILE* fp) {
  if (s->rd_data_end) return false;
  int len = std::fgetc(fp);
  if (len == EOF || len == 0) {
    s->rd_data_end = 1;
    return false;
  }
  size_t got = std::fread(s->rd_block, 1, static_cast<size_t>(len), fp);
  if (got != static_cast<size_t>(len)) s->rd_data_end = 1;
  s->rd_block_len = static_cast<int>(got);
  s->rd_block_pos = 0;
  return got > 0;
}

void reset_table(LZW_STATE* s) {
  s->code_width = s->min_code_size + 1;
  s->limit = 1 << s->code_width;
  s->next_free = s->first_free;
  s->prev_code = -1;
}

// Decodes the next `width` pixels of the picture into out; false when the
// data ended or broke off first (the rest of out is then 0).
bool get_gif_nextline(LZW_STATE* s, FILE* fp, uint16_t* out, int width) {
  int x = 0;
  uint8_t* stack = s->stack;
  int sp = s->stack_ptr;
  for (;;) {
    // Pixels still waiting from the last code (possibly of the line before).
    int take = std::min(sp, width - x);
    for (int i = 0; i < take; ++i) out[x++] = stack[--sp];
    if (x == width) break;
    if (s->rd_done) {
      std::fill(out + x, out + width, uint16_t{0});
      s->stack_ptr = 0;
      return false;
    }
    int code = get_next_code(s, s->code_width, fp);
    if (code < 0 || code == s->end_code) {
      s->rd_done = 1;
      continue;
    }
    if (code == s->clear_code) {
      reset_table(s);
      continue;
    }
    if (s->prev_code < 0) {
      // First code after a clear: a plain pixel value.
      if (code > s->clear_code) {
        s->rd_done = 1;
        continue;
      }
      s->first_char = code & 0xFF;
      stack[sp++] = static_cast<uint8_t>(s->first_char);
      s->prev_code = code;
      continue;
    }
    int in_code = code;
    if (code >= s->next_free) {
      // Only the code about to be defined may be used (the string of the
      // previous code and its own first pixel); anything beyond is damage.
      if (code > s->next_free || s->next_free >= kLzwTableSize) {
        s->rd_done = 1;
        continue;
      }
      stack[sp++] = static_cast<uint8_t>(s->first_char);
      code = s->prev_code;
    }
    // Prefix chains always point to lower codes, so they end within the
    // table size; the guard keeps the stack inside its bounds regardless.
    while (code >= s->first_free && sp < kLzwTableSize - 1) {
      stack[sp++] = s->suffix[code];
      code = s->prefix[code];
    }
    if (code >= s->first_free) {
      s->rd_done = 1;
      sp = 0;
      continue;
    }
    s->first_char = code & 0xFF;
    stack[sp++] = static_cast<uint8_t>(s->first_char);
    if (s->next_free < kLzwTableSize) {
      s->prefix[s->next_free] = static_cast<uint16_t>(s->prev_code);
      s->suffix[s->next_free] = static_cast<uint8_t>(s->first_char);
      ++s->next_free;
      if (s->next_free >= s->limit && s->code_width < kMaxCodeWidth) {
        ++s->code_width;
        s->limit <<= 1;
      }
    }
    s->prev_code = in_code;
  }
  s->stack_ptr = sp;
  return true;
}

// The display row of stored row `k` of an interlaced image `h` rows high:
// the four passes start at rows 0, 4, 2, 1 and step 8, 8, 4, 2.
int display_row(int k, int h) {
  constexpr int kStart[4] = {0, 4, 2, 1};
  constexpr int kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    const int rows = h > kStart[pass] ? (h - kStart[pass] + kStep[pass] - 1) / kStep[pass] : 0;
    if (k < rows) return kStart[pass] + k * kStep[pass];
    k -= rows;
  }
  return -1;
}

// Decodes every stored row of an interlaced image into its display row.
// Rows the data never reached stay empty (read as zeros).
void decode_whole(LZW_STATE* s, FILE* fp) {
  const int width = s->width;
  const int height = s->height;
  s->whole_rows.assign(static_cast<size_t>(height), {});
  s->whole_row_ok.assign(static_cast<size_t>(height), 0);
  std::vector<uint16_t> row(static_cast<size_t>(width));
  size_t pixels = 0;
  for (int k = 0; k < height && !s->rd_done; ++k) {
    pixels += static_cast<size_t>(width);
    if (pixels > kMaxWholePixels) break;
    const bool ok = get_gif_nextline(s, fp, row.data(), width);
    const auto y = static_cast<size_t>(display_row(k, height));
    s->whole_rows[y].assign(row.begin(), row.end());
    s->whole_row_ok[y] = ok ? 1 : 0;
  }
  s->whole_decoded = 1;
}

}  // namespace

int get_next_code(LZW_STATE* s, int width, FILE* fp) {
  if (fp == nullptr) {
    reset_bit_reader(s);
    return 0;
  }
  while (s->rd_nbits < width) {
    if (s->rd_block_pos >= s->rd_block_len && !next_sub_block(s, fp)) return -1;
    s->rd_bits |= static_cast<uint32_t>(s->rd_block[s->rd_block_pos++]) << s->rd_nbits;
    s->rd_nbits += 8;
  }
  int code = static_cast<int>(s->rd_bits & ((1u << width) - 1));
  s->rd_bits >>= width;
  s->rd_nbits -= width;
  return code;
}

void read_gif_close(LZW_STATE* lzw) {
  get_next_code(lzw, 0, nullptr);
  lzw->stack_ptr = 0;
  lzw->last_line = -1;
  lzw->rd_done = 1;
  std::vector<uint16_t>().swap(lzw->last_buf);
  lzw->interlaced = 0;
  lzw->whole_decoded = 0;
  std::vector<std::vector<uint8_t>>().swap(lzw->whole_rows);
  std::vector<uint8_t>().swap(lzw->whole_row_ok);
}

int read_gif_header(PIC_INFO* pic) {
  LZW_STATE* s = &pic->lzw;
  read_gif_close(s);
  FILE* fp = pic->pic_fp.get();
  if (fp == nullptr) return kGifNoScreen;
  std::rewind(fp);

  uint8_t screen[kScreenDescBytes];
  if (std::fread(screen, 1, sizeof screen, fp) != sizeof screen) return kGifNoScreen;
  int flags = screen[kScreenFlagsOff];
  int colours = 1 << ((flags & kColourTableSizeMask) + 1);
  // Without any colour table the values are shown as grey levels.
  for (int i = 0; i < 256; ++i) pic->lut[0][i] = pic->lut[1][i] = pic->lut[2][i] = i;
  pic->lut_size = colours;
  if ((flags & kColourTableFlag) != 0 && !read_colour_table(fp, colours, pic)) return kGifEofNoImage;

  for (;;) {
    int c = std::fgetc(fp);
    if (c == EOF) return kGifEofNoImage;
    if (c == ',') break;
    if (c == ';') return kGifTrailerFirst;
    if (c == '!') {
      // Extension (graphic control, comment, application...): label byte,
      // then sub-blocks; none of them changes how the pixels are read.
      if (std::fgetc(fp) == EOF || !skip_sub_blocks(fp)) return kGifEofNoImage;
      continue;
    }
    std::printf("Unexpected char: %c  %d\n", c, c);
    return kGifBadBlock;
  }

  uint8_t desc[kImageDescBytes];
  if (std::fread(desc, 1, sizeof desc, fp) != sizeof desc) return kGifNoImageDesc;
  s->width = get_le16(desc + kImageWidthOff);
  s->height = get_le16(desc + kImageHeightOff);
  int iflags = desc[kImageFlagsOff];
  if ((iflags & kColourTableFlag) != 0) {
    int local = 1 << ((iflags & kColourTableSizeMask) + 1);
    if (!read_colour_table(fp, local, pic)) return kGifNoImageDesc;
  }
  s->interlaced = (iflags & kInterlacedFlag) != 0 ? 1 : 0;

  int code_size = std::fgetc(fp);
  if (code_size == EOF) return kGifNoCodeSize;
  if (code_size < kMinCodeSize || code_size > kMaxCodeSize) return kGifBadCodeSize;
  s->min_code_size = code_size;
  s->clear_code = 1 << code_size;
  s->end_code = s->clear_code + 1;
  s->first_free = s->clear_code + 2;
  reset_table(s);
  s->first_char = 0;
  s->stack_ptr = 0;
  s->rd_done = 0;
  s->last_line = -1;
  s->first_line = 1;
  s->last_buf.assign(s->width, 0);

  pic->width = s->width;
  pic->height = s->height;
  pic->depth = 8;
  pic->frame.words_padded = s->width;
  pic->frame.line_bytes = s->width;
  pic->frame.hdr_words = 0;
  pic->frame.n_channels = 1;
  std::fill(std::begin(pic->chan_present), std::end(pic->chan_present), 0);
  pic->chan_present[1] = 1;
  pic->data_offset = static_cast<int>(std::ftell(fp));
  pic->orientation = Orientation::Normal;
  pic->scan_dir = ScanDir::TopDown;
  return kGifOk;
}

int read_gif_line(PIC_INFO* pic, int line, uint16_t* buf) {
  LZW_STATE* s = &pic->lzw;
  FILE* fp = pic->pic_fp.get();
  int width = s->width;
  if (fp == nullptr || line < 0 || line >= s->height || s->last_buf.size() != static_cast<size_t>(width))
    return 0;
  if (s->interlaced != 0) {
    if (s->whole_decoded == 0) decode_whole(s, fp);
    const std::vector<uint8_t>& row = s->whole_rows[static_cast<size_t>(line)];
    std::fill(buf, buf + width, uint16_t{0});
    std::copy(row.begin(), row.end(), buf);
    return s->whole_row_ok[static_cast<size_t>(line)] != 0 ? kLineRead : 0;
  }
  if (line == s->last_line) {
    std::copy(s->last_buf.begin(), s->last_buf.end(), buf);
    // The decoder only marks the end while a line still wants pixels, so a
    // mark means this line was not complete either.
    return s->rd_done ? 0 : kLineRead;
  }
  // Forward only: a line below the last one restarts the count from the
  // current file position (callers rewind first).
  if (line < s->last_line) s->last_line = -1;
  bool ok = true;
  while (s->last_line < line) {
    ok = get_gif_nextline(s, fp, buf, width);
    ++s->last_line;
    s->first_line = 0;
  }
  std::copy(buf, buf + width, s->last_buf.begin());
  return ok ? kLineRead : 0;
}

int rewind_gif(PIC_INFO* pic) {
  // An interlaced image already decoded whole gives any line as it is.
  if (pic->lzw.interlaced != 0 && pic->lzw.whole_decoded != 0) return kGifOk;
  return read_gif_header(pic);
}

}  // namespace kelo
