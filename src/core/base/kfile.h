// Open file handle held by the program records.
//
// A picture record may be copied (the export works on a copy of the source
// record, the recorders build a fresh header record), so the handle is
// shared: the file is closed when the last record holding it lets go, or at
// once through close() when this is the only holder.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace kelo {

class KFile {
 public:
  KFile() = default;

  // Opens path with a stdio mode ("rb", "wb", "r+b", "ab"); false on failure,
  // in which case the handle is empty.
  [[nodiscard]] bool open(const std::string& path, const char* mode);
  // Takes over a stream opened elsewhere (closed with the last holder).
  void adopt(FILE* fp);
  // Lets go of the file; closes it when no other record holds it.
  void close() { fp_.reset(); }
  // Closes the file now and reports whether all buffered data reached the
  // disk (fclose result). Only meaningful for the sole holder.
  [[nodiscard]] bool close_checked();

  FILE* get() const { return fp_.get(); }
  explicit operator bool() const { return fp_ != nullptr; }

 private:
  std::shared_ptr<FILE> fp_;
};

}  // namespace kelo
