// Helpers of the file tests: opening a picture record on a file, decoding
// whole GIFs, comparing rows, and running the other programs that must agree
// with us.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/base/records.h"
#include "core/files/gif_read.h"

namespace kelo::test {

// Several facts checked at once: EXPECT_EQ(ints(got...), ints(want...)).
using Ints = std::vector<long long>;
template <typename... T>
Ints ints(T... v) {
  return Ints{static_cast<long long>(v)...};
}

// A file of the test corpora in tests/corpus/.
inline std::string shared_path(const std::string& rel) { return std::string(KELO_CORPUS) + "/" + rel; }
inline bool shared_present(const std::string& rel) { return std::filesystem::exists(shared_path(rel)); }

// A picture record with the file at path open for reading.
inline std::unique_ptr<PIC_INFO> pic_on(const std::string& path) {
  auto pic = std::make_unique<PIC_INFO>();
  pic->path = path;
  (void)pic->pic_fp.open(path, "rb");  // callers check pic_fp; some open nothing on purpose
  return pic;
}

// A picture record of the given kind and size writing to path.
inline std::unique_ptr<PIC_INFO> pic_writing(const std::string& path, FileKind kind, int w, int h, int depth,
                                             int lut_size = 256) {
  auto pic = std::make_unique<PIC_INFO>();
  pic->path = path;
  pic->file_type = kind;
  pic->width = pic->frame.line_bytes = w;
  pic->height = h;
  pic->depth = depth;
  pic->lut_size = lut_size;
  (void)pic->pic_fp.open(path, "wb");  // callers check pic_fp
  return pic;
}

// Every line of an opened GIF, top to bottom, as palette RGB bytes. *lines_ok
// counts the lines the reader reported as decoded in full.
inline std::string gif_rgb(PIC_INFO* pic, int* lines_ok = nullptr) {
  std::string rgb;
  std::vector<uint16_t> line(static_cast<size_t>(pic->width) + 1);
  int ok = 0;
  for (int y = 0; y < pic->height; ++y) {
    if (read_gif_line(pic, y, line.data()) == kLineRead) ++ok;
    for (int x = 0; x < pic->width; ++x) {
      for (int k = 0; k < 3; ++k) rgb.push_back(static_cast<char>(pic->lut[k][line[x]]));
    }
  }
  if (lines_ok != nullptr) *lines_ok = ok;
  return rgb;
}

// Rows of `got` that differ from `want` for a picture w x h of RGB bytes.
inline int bad_rows(const std::string& got, const std::string& want, int w, int h) {
  const size_t row = static_cast<size_t>(w) * 3;
  if (got.size() < row * h || want.size() < row * h) return h;
  int bad = 0;
  for (int k = 0; k < h; ++k) {
    if (std::memcmp(got.data() + k * row, want.data() + k * row, row) != 0) ++bad;
  }
  return bad;
}

// Output of a shell command (stdout), and whether it exited with 0.
inline bool run_capture(const std::string& cmd, std::string* out) {
  FILE* p = popen(cmd.c_str(), "r");
  if (p == nullptr) return false;
  out->clear();
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out->append(buf, n);
  return pclose(p) == 0;
}

inline bool have_tool(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// A python3 that has Pillow, or "" when there is none.
inline std::string pillow_python() {
  for (const char* py : {"python3", "/usr/bin/python3"}) {
    if (std::system((std::string(py) + " -c 'import PIL' >/dev/null 2>&1").c_str()) == 0) return py;
  }
  return "";
}

// Runs a Pillow script with the file as sys.argv[1] ("im" is the opened
// picture when `open` is set).
inline bool run_pillow(const std::string& py, const std::string& script, const std::string& path,
                       std::string* out, bool open = true) {
  return run_capture(py + " -c \"import sys; from PIL import Image; " +
                         (open ? "im=Image.open(sys.argv[1]); " : "") + script + "\" '" + path + "'",
                     out);
}

// The picture as Pillow's RGB bytes.
inline bool pillow_rgb(const std::string& py, const std::string& path, std::string* out) {
  return run_pillow(py, "sys.stdout.buffer.write(im.convert('RGB').tobytes())", path, out);
}

// Flags byte of the first image descriptor, found by walking the blocks
// (-1 when there is none).
inline int first_image_flags(const std::string& b) {
  auto at = [&](size_t i) { return i < b.size() ? static_cast<uint8_t>(b[i]) : 0; };
  size_t i = 13;
  if (at(10) & 0x80) i += 3u << ((at(10) & 7) + 1);
  while (i < b.size()) {
    if (at(i) == ',') return at(i + 9);
    if (at(i) != '!') return -1;
    i += 2;
    while (i < b.size() && at(i) != 0) i += at(i) + 1u;
    ++i;
  }
  return -1;
}

inline std::string bytes_of(std::initializer_list<int> v) {
  std::string s;
  for (int b : v) s.push_back(static_cast<char>(b));
  return s;
}

}  // namespace kelo::test
