#include "core/view/slide_series.h"

#include <cstdio>
#include <cstring>

#include "core/files/file.h"
#include "core/files/ppm.h"

namespace kelo {

namespace {

constexpr int kListLineMax = 100;  // longest line of a slide list read at once
constexpr const char* kListSeparators = " \n\t\r";

}  // namespace

bool SlideSeries::open(const std::string& path) {
  close();
  const FileKind k = detect_file(path);
  if (k == kKindNone) return false;
  const bool film = k != kKindUnknown;
  if (!fp_.open(path, film ? "rb" : "r")) return false;
  path_ = path;
  kind_ = film ? SeriesKind::kFilm : SeriesKind::kList;
  film_size_ = 0;
  if (film && std::fseek(fp_.get(), 0, SEEK_END) == 0) film_size_ = std::ftell(fp_.get());
  return rewind();
}

bool SlideSeries::rewind() {
  if (!fp_) return false;
  return std::fseek(fp_.get(), 0, SEEK_SET) == 0;
}

void SlideSeries::close() {
  fp_.close();
  kind_ = SeriesKind::kNone;
  film_size_ = 0;
}

bool SlideSeries::next(SlideRef* ref) {
  if (!fp_ || ref == nullptr) return false;
  return kind_ == SeriesKind::kFilm ? next_film(ref) : next_list(ref);
}

bool SlideSeries::next_film(SlideRef* ref) {
  const long start = std::ftell(fp_.get());
  if (start < 0 || start >= film_size_) return false;
  // The header reader works on a picture record; this one holds only the
  // series' own handle.
  PIC_INFO scratch;
  scratch.pic_fp = fp_;
  if (read_ppm_header(&scratch) != kPpmOk) return false;
  // The picture's samples follow its header: height lines of line_bytes
  // (three samples a pixel for PPM, two bytes a sample above 8 bits).
  const long end = static_cast<long>(scratch.data_offset) +
                   static_cast<long>(scratch.height) * static_cast<long>(scratch.frame.line_bytes);
  if (end > film_size_ || std::fseek(fp_.get(), end, SEEK_SET) != 0) return false;
  ref->path = path_;
  ref->offset = static_cast<int>(start);
  return true;
}

bool SlideSeries::next_list(SlideRef* ref) {
  char line[kListLineMax + 1];
  while (std::fgets(line, sizeof line, fp_.get()) != nullptr) {
    char* save = nullptr;
    const char* token = strtok_r(line, kListSeparators, &save);
    if (token == nullptr) continue;  // a blank line
    ref->path = token;
    ref->offset = 0;
    return true;
  }
  return false;
}

}  // namespace kelo
