#include "core/files/ppm.h"

#include <sys/types.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/base/bytes.h"

namespace kelo {

namespace {

constexpr int kMaxSizeLine = 99;          // longest header line outside comments
constexpr long kMaxNumber = 100000000L;   // beyond any picture size or sample maximum
constexpr int kMaxWidth = 65535;          // line buffers are counted in int samples
constexpr int kMaxHeight = 1 << 24;       // a whole day of HRPT lines is far below
constexpr int kMaxSample = 65535;         // two bytes a sample at most
constexpr int kTableLimit = kLutEntries;  // samples must index the 4096-entry tables
constexpr int kTableBits = 12;            // 2^12 = kTableLimit
constexpr int kChunkBytes = 6 * 1024;     // read/write buffer, a multiple of 6 (RGB, 2 bytes)
constexpr const char* kComment = "Created by kelo";

bool is_blank(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Header tokens: blanks and newlines separate them, '#' starts a comment to
// the end of the line (the last comment names the picture). Counts the
// characters of the current line outside comments.
struct HeaderScan {
  FILE* fp;
  PIC_INFO* pic;
  int line_len = 0;
  int terminator = EOF;  // the byte that ended the last number

  // 0 and the number in *out; else a result code: `missing` when the next
  // token is not a number, kPpmEof, or kPpmLongLine.
  int number(long* out, int missing) {
    for (;;) {
      int c = std::fgetc(fp);
      if (c == EOF) return kPpmEof;
      if (c == '\n') {
        line_len = 0;
        continue;
      }
      if (c == '#') {
        int r = comment();
        if (r != 0) return r;
        continue;
      }
      if (++line_len > kMaxSizeLine) return kPpmLongLine;
      if (is_blank(c)) continue;
      if (c < '0' || c > '9') return missing;
      long v = 0;
      for (;;) {
        if (v <= kMaxNumber) v = v * 10 + (c - '0');
        c = std::fgetc(fp);
        if (c < '0' || c > '9') break;
        if (++line_len > kMaxSizeLine) return kPpmLongLine;
      }
      terminator = c;
      *out = v;
      return 0;
    }
  }

  int comment() {
    std::string text;
    for (;;) {
      int c = std::fgetc(fp);
      if (c == EOF) return kPpmEof;
      if (c == '\n') break;
      if (static_cast<int>(text.size()) < kSatNameMax) text.push_back(static_cast<char>(c));
    }
    if (!text.empty() && text.back() == '\r') text.pop_back();
    pic->sat_name = text;
    line_len = 0;
    return 0;
  }
};

// Position of line `line` (64-bit: long passes exceed 2 GB in 16-bit PPM).
bool seek_line(PIC_INFO* pic, int line) {
  off_t pos = static_cast<off_t>(pic->data_offset) + static_cast<off_t>(line) * pic->frame.line_bytes;
  return fseeko(pic->pic_fp.get(), pos, SEEK_SET) == 0;
}

int sample_max(const PIC_INFO* pic) { return std::max(1, pic->lut_size - 1); }

}  // namespace

int read_ppm_header(PIC_INFO* pic) {
  FILE* fp = pic->pic_fp.get();
  if (fp == nullptr) return kPpmEof;
  uint8_t magic[2];
  if (std::fread(magic, 1, 2, fp) != 2 || magic[0] != 'P' || (magic[1] != '5' && magic[1] != '6'))
    return kPpmBadMagic;
  const bool colour = magic[1] == '6';
  pic->sat_name.clear();

  HeaderScan scan{fp, pic};
  scan.line_len = 2;
  long width = 0, height = 0, maxval = 0;
  int r = scan.number(&width, kPpmNoWidth);
  if (r != 0) return r;
  if (scan.terminator != EOF) std::ungetc(scan.terminator, fp);
  if (width > kMaxWidth) return kPpmNoWidth;
  r = scan.number(&height, kPpmNoHeight);
  if (r != 0) return r;
  if (scan.terminator != EOF) std::ungetc(scan.terminator, fp);
  if (height > kMaxHeight) return kPpmNoHeight;
  r = scan.number(&maxval, kPpmNoWidth);
  if (r != 0) return r;
  if (maxval < 1 || maxval > kMaxSample) return kPpmNoWidth;
  // Exactly one whitespace byte ends the header; a line written with CR LF
  // ends after the LF, as the line it is.
  int t = scan.terminator;
  if (t == '\r') {
    int c = std::fgetc(fp);
    if (c != '\n' && c != EOF) std::ungetc(c, fp);
  } else if (t != EOF && t != '\n' && !is_blank(t)) {
    return kPpmNoWidth;
  }

  pic->width = static_cast<int>(width);
  pic->height = static_cast<int>(height);
  pic->lut_size = static_cast<int>(std::min<long>(maxval + 1, kTableLimit));
  int depth = 8;
  while ((1L << depth) < pic->lut_size) ++depth;
  pic->depth = depth;
  // Maxima above 4095 keep their top twelve bits: the picture stays a
  // picture instead of clipping to white.
  int bits = 0;
  while ((1L << bits) <= maxval) ++bits;
  pic->sample_shift = bits > kTableBits ? bits - kTableBits : 0;
  const bool wide = maxval > 255;
  pic->frame.words_padded = static_cast<int>(width) * (colour ? 3 : 1);
  pic->frame.line_bytes = pic->frame.words_padded * (wide ? 2 : 1);
  pic->frame.hdr_words = 0;
  pic->frame.n_channels = 1;
  std::fill(std::begin(pic->chan_present), std::end(pic->chan_present), 0);
  pic->chan_present[1] = 1;
  long pos = std::ftell(fp);
  if (pos < 0 || pos > 0x7FFFFFFF) return kPpmEof;
  pic->data_offset = static_cast<int>(pos);
  pic->orientation = Orientation::Normal;
  pic->scan_dir = ScanDir::TopDown;
  for (int i = 0; i < pic->lut_size; ++i) pic->lut[0][i] = pic->lut[1][i] = pic->lut[2][i] = i;
  return kPpmOk;
}

int read_ppm_line(PIC_INFO* pic, int line, uint16_t* red, uint16_t* green, uint16_t* blue) {
  FILE* fp = pic->pic_fp.get();
  const int width = pic->width;
  if (fp == nullptr || width <= 0 || line < 0 || line >= pic->height || red == nullptr) return 0;
  const bool colour = pic->frame.words_padded == 3 * width;
  const int per_pixel = colour ? 3 : 1;
  const bool wide = pic->frame.line_bytes == 2 * pic->frame.words_padded;
  const int bytes_per_pixel = per_pixel * (wide ? 2 : 1);
  const int shift = pic->sample_shift;
  const int top = kTableLimit - 1;

  int done = 0;  // pixels filled from the file
  if (seek_line(pic, line)) {
    uint8_t chunk[kChunkBytes];
    const int chunk_pixels = kChunkBytes / bytes_per_pixel;
    while (done < width) {
      int want = std::min(chunk_pixels, width - done);
      size_t got = std::fread(chunk, 1, static_cast<size_t>(want) * bytes_per_pixel, fp);
      int pixels = static_cast<int>(got / static_cast<size_t>(bytes_per_pixel));
      const uint8_t* p = chunk;
      for (int i = 0; i < pixels; ++i, ++done) {
        uint16_t v[3];
        for (int k = 0; k < per_pixel; ++k) {
          int s = wide ? get_be16(p) >> shift : *p;
          p += wide ? 2 : 1;
          v[k] = static_cast<uint16_t>(std::min(s, top));
        }
        red[done] = v[0];
        if (colour) {
          if (green != nullptr) green[done] = v[1];
          if (blue != nullptr) blue[done] = v[2];
        } else {
          if (green != nullptr) green[done] = v[0];
          if (blue != nullptr) blue[done] = v[0];
        }
      }
      if (pixels < want) break;
    }
  }
  for (int x = done; x < width; ++x) {
    red[x] = 0;
    if (green != nullptr) green[x] = 0;
    if (blue != nullptr) blue[x] = 0;
  }
  return done;
}

int ppm_header_maxval(FileKind kind, int lut_size, int depth) {
  // The maximum must agree with the sample size written: one byte up to
  // depth 8 (maximum at most 255), two bytes beyond (maximum above 255).
  int maxval = std::max(1, lut_size - 1);
  if (kind == kKindPPM || depth <= 8) {
    maxval = std::min(maxval, 255);
  } else if (maxval < 256) {
    maxval = (1 << std::min(depth, 16)) - 1;
  }
  return maxval;
}

int write_ppm_header(PIC_INFO* pic) {
  FILE* fp = pic->pic_fp.get();
  if (fp == nullptr || pic->width <= 0 || pic->height < 0) return -1;
  int maxval = ppm_header_maxval(pic->file_type, pic->lut_size, pic->depth);
  int n = std::fprintf(fp, "%s\n#%s\n%d %d\n%d\n", pic->file_type == kKindPPM ? "P6" : "P5", kComment,
                       pic->width, pic->height, maxval);
  if (n < 0 || std::ferror(fp)) return -1;
  return n;
}

int write_ppm_line(PIC_INFO* pic, const uint16_t* red, const uint16_t* green, const uint16_t* blue) {
  FILE* fp = pic->pic_fp.get();
  const int n = pic->frame.line_bytes;
  if (fp == nullptr || n < 0 || red == nullptr) return -1;
  const bool colour = pic->file_type == kKindPPM;
  if (colour && (green == nullptr || blue == nullptr)) return -1;
  const bool wide = !colour && pic->depth > 8;
  int maxval = sample_max(pic);
  if (!wide)
    maxval = std::min(maxval, 255);
  else if (maxval < 256)
    maxval = (1 << std::min(pic->depth, 16)) - 1;
  const uint16_t top = static_cast<uint16_t>(maxval);

  uint8_t chunk[kChunkBytes];
  size_t fill = 0;
  int samples = 0;
  for (int x = 0; x < n; ++x) {
    if (colour) {
      chunk[fill++] = static_cast<uint8_t>(std::min(red[x], top));
      chunk[fill++] = static_cast<uint8_t>(std::min(green[x], top));
      chunk[fill++] = static_cast<uint8_t>(std::min(blue[x], top));
      samples += 3;
    } else if (wide) {
      put_be16(chunk + fill, std::min(red[x], top));
      fill += 2;
      ++samples;
    } else {
      chunk[fill++] = static_cast<uint8_t>(std::min(red[x], top));
      ++samples;
    }
    if (fill == sizeof chunk) {
      if (std::fwrite(chunk, 1, fill, fp) != fill) return -1;
      fill = 0;
    }
  }
  if (fill > 0 && std::fwrite(chunk, 1, fill, fp) != fill) return -1;
  return samples;
}

}  // namespace kelo
