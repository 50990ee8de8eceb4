// What every file-reader fuzz target needs: the input as a real file, since
// the readers work on open files like the station's recordings.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace kelo::fuzz {

// A scratch file, made once per fuzzing process.
inline const std::string& scratch_path() {
  static const std::string path = [] {
    char tmpl[] = "/tmp/kelo-fuzz-XXXXXX";
    const int fd = mkstemp(tmpl);
    if (fd >= 0) close(fd);
    return std::string(tmpl);
  }();
  return path;
}

// Writes the bytes to the scratch file; false when it cannot be written.
inline bool write_scratch(const uint8_t* data, size_t size) {
  FILE* out = std::fopen(scratch_path().c_str(), "wb");
  if (out == nullptr) return false;
  if (size > 0) std::fwrite(data, 1, size, out);
  return std::fclose(out) == 0;
}

}  // namespace kelo::fuzz
