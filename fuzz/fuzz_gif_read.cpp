// libFuzzer target: a GIF of any content is opened and all its lines are
// decoded (forward, then again after a rewind from the middle).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/base/records.h"
#include "core/files/gif_read.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kelo;
  if (!fuzz::write_scratch(data, size)) return 0;
  const std::string& path = fuzz::scratch_path();

  auto pic = std::make_unique<PIC_INFO>();
  if (!pic->pic_fp.open(path, "rb")) return 0;
  if (read_gif_header(pic.get()) != 0) return 0;
  std::vector<uint16_t> line(static_cast<size_t>(pic->width) + 1);
  // A picture is at most 65535 lines; decoding stops early once the data ends.
  for (int y = 0; y < pic->height; ++y) {
    if (read_gif_line(pic.get(), y, line.data()) == 0 && y > 8) break;
    for (int x = 0; x < pic->width; ++x) {
      if (line[static_cast<size_t>(x)] > 255) std::abort();
    }
  }
  if (rewind_gif(pic.get()) == 0 && pic->height > 2) {
    read_gif_line(pic.get(), pic->height / 2, line.data());
    read_gif_line(pic.get(), 0, line.data());
  }
  return 0;
}
