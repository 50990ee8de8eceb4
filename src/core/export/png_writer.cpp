#include "core/export/png_writer.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>

namespace kelo {

namespace {

constexpr int kMax8 = 255;
constexpr int kMax16 = 65535;

// The number of bits `maxval` needs, when it is a full binary range (1023:
// 10); 0 otherwise (no sBIT chunk is written then).
int significant_bits(int maxval) {
  int bits = 0;
  while ((1 << bits) - 1 < maxval) ++bits;
  return (1 << bits) - 1 == maxval ? bits : 0;
}

// libpng reports a failure by a long jump back to encode(); its messages
// stay quiet because the export reports the failure itself.
void on_png_error(png_structp png, png_const_charp /*text*/) { png_longjmp(png, 1); }
void on_png_warning(png_structp /*png*/, png_const_charp /*text*/) {}

// One PNG to write, and libpng's handles for it. encode() reaches all of it
// through one pointer that never changes, so the long jump of a failure
// leaves nothing in an unknown state.
struct PngJob {
  FILE* fp = nullptr;
  int width = 0, height = 0, depth = 8;
  bool colour = false;
  int sbit = 0;  // significant bits; 0: no sBIT chunk
  png_bytepp rows = nullptr;
  png_structp png = nullptr;
  png_infop info = nullptr;
};

// The whole PNG. libpng jumps back into this frame on a failure, so nothing
// here has a destructor.
bool encode(PngJob* job) {
  job->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, on_png_error, on_png_warning);
  if (job->png == nullptr) return false;
  job->info = png_create_info_struct(job->png);
  if (job->info == nullptr || setjmp(png_jmpbuf(job->png)) != 0) {
    png_destroy_write_struct(&job->png, job->info != nullptr ? &job->info : nullptr);
    return false;
  }
  png_init_io(job->png, job->fp);
  png_set_IHDR(job->png, job->info, static_cast<png_uint_32>(job->width),
               static_cast<png_uint_32>(job->height), job->depth,
               job->colour ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (job->sbit > 0 && job->sbit < job->depth) {
    png_color_8 sig{};
    sig.red = sig.green = sig.blue = sig.gray = static_cast<png_byte>(job->sbit);
    png_set_sBIT(job->png, job->info, &sig);
  }
  png_write_info(job->png, job->info);
  png_write_image(job->png, job->rows);
  png_write_end(job->png, nullptr);
  png_destroy_write_struct(&job->png, &job->info);
  return true;
}

}  // namespace

PngWriter::PngWriter(int width, bool colour, int maxval)
    : width_(std::max(width, 0)),
      colour_(colour),
      maxval_(std::clamp(maxval, 1, kMax16)),
      depth_(colour || maxval_ <= kMax8 ? 8 : 16) {}

void PngWriter::add_row(const uint16_t* red, const uint16_t* green, const uint16_t* blue) {
  const int full = depth_ == 8 ? kMax8 : kMax16;
  const uint32_t top = static_cast<uint32_t>(maxval_);
  auto put = [&](uint16_t v) {
    const uint32_t s = (std::min<uint32_t>(v, top) * static_cast<uint32_t>(full) + top / 2) / top;
    if (depth_ == 16) data_.push_back(static_cast<uint8_t>(s >> 8));
    data_.push_back(static_cast<uint8_t>(s & 0xFF));
  };
  for (int x = 0; x < width_; x++) {
    put(red[x]);
    if (colour_) {
      put(green[x]);
      put(blue[x]);
    }
  }
  ++rows_;
}

bool PngWriter::write(FILE* fp) const {
  if (fp == nullptr || rows_ == 0 || width_ == 0) return false;
  const size_t row_bytes = data_.size() / static_cast<size_t>(rows_);
  std::vector<png_bytep> rows(static_cast<size_t>(rows_));
  for (size_t y = 0; y < rows.size(); y++) rows[y] = const_cast<png_bytep>(data_.data() + y * row_bytes);
  PngJob job;
  job.fp = fp;
  job.width = width_;
  job.height = rows_;
  job.depth = depth_;
  job.colour = colour_;
  job.sbit = colour_ ? 0 : significant_bits(maxval_);
  job.rows = rows.data();
  if (!encode(&job)) return false;
  return std::fflush(fp) == 0 && std::ferror(fp) == 0;
}

}  // namespace kelo
