// libFuzzer target: a PGM/PPM of any content is opened and its first and
// last lines are read (a damaged header must never drive a read past a
// buffer or a huge allocation).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/base/records.h"
#include "core/files/ppm.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kelo;
  if (!fuzz::write_scratch(data, size)) return 0;
  const std::string& path = fuzz::scratch_path();

  auto pic = std::make_unique<PIC_INFO>();
  if (!pic->pic_fp.open(path, "rb")) return 0;
  if (read_ppm_header(pic.get()) != 0) return 0;
  if (pic->width < 0 || pic->width > 65535) std::abort();
  if (pic->width == 0) return 0;
  std::vector<uint16_t> r(static_cast<size_t>(pic->width)), g(r.size()), b(r.size());
  const int lines = pic->height < 4 ? pic->height : 4;
  for (int y = 0; y < lines; ++y) read_ppm_line(pic.get(), y, r.data(), g.data(), b.data());
  if (pic->height > 0) read_ppm_line(pic.get(), pic->height - 1, r.data(), nullptr, nullptr);
  for (size_t x = 0; x < r.size(); ++x) {
    if (r[x] > 4095) std::abort();
  }
  return 0;
}
