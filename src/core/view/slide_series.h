// The series of a film show: the pictures stored one after another in one
// PGM/PPM file (a film), or the pictures named line by line in a text file
// (a slide list). The series keeps its own path and file handle, apart from
// the picture on screen, so stepping never disturbs the open picture.
#pragma once

#include <string>

#include "core/base/records.h"

namespace kelo {

enum class SeriesKind { kNone, kFilm, kList };

// Where the next picture of a series is: the file to open and the byte at
// which its picture starts (0 for a list entry).
struct SlideRef {
  std::string path;
  int offset = 0;
};

class SlideSeries {
 public:
  // Opens `path` as a series: a recognised picture file is a film, any
  // other readable file a list. False when it cannot be opened.
  bool open(const std::string& path);
  // Back to the first picture of the series; false when it is not open.
  bool rewind();
  void close();
  bool is_open() const { return static_cast<bool>(fp_); }
  SeriesKind kind() const { return kind_; }
  const std::string& path() const { return path_; }

  // The next picture; false at the end of the series (also a film picture
  // whose header cannot be read or whose samples are cut short). A list
  // skips blank lines; the first token of a line names the picture.
  bool next(SlideRef* ref);

 private:
  bool next_film(SlideRef* ref);
  bool next_list(SlideRef* ref);

  std::string path_;
  KFile fp_;
  SeriesKind kind_ = SeriesKind::kNone;
  long film_size_ = 0;  // bytes of the film file
};

}  // namespace kelo
