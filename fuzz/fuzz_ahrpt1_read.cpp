// libFuzzer target: an AHRPT file of any content is opened and its first
// lines are read.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/base/records.h"
#include "core/files/ahrpt1_read.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kelo;
  if (!fuzz::write_scratch(data, size)) return 0;
  const std::string& path = fuzz::scratch_path();

  auto pic = std::make_unique<PIC_INFO>();
  VIEW_INFO view{};
  pic->file_type = kKindAHRPT;
  if (!pic->pic_fp.open(path, "rb")) return 0;
  // Every header is usable: the line reads below run whatever it reported.
  (void)read_ahrpt1_hdr(pic.get());
  std::vector<uint16_t> values(kAhrptLineValues);
  const int lines = pic->height < 3 ? pic->height + 1 : 3;
  for (int n = 0; n < lines; ++n) read_ahrpt1_line(pic.get(), &view, n, values.data());
  return 0;
}
