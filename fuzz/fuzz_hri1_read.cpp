// libFuzzer target: an HRI1 recording of any content is opened and every
// channel's first lines are read, in the raw frame view too, with the grid.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/base/bytes.h"
#include "core/base/records.h"
#include "core/files/hri1_read.h"
#include "core/files/hri_functions.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kelo;
  if (!fuzz::write_scratch(data, size)) return 0;
  const std::string& path = fuzz::scratch_path();

  auto pic = std::make_unique<PIC_INFO>();
  auto view = std::make_unique<VIEW_INFO>();
  pic->file_type = kKindHRI;
  if (!pic->pic_fp.open(path, "rb")) return 0;
  if (read_hri1_hdr(pic.get()) != 0) return 0;

  size_t bytes = 0;
  const size_t words = pic->frame.words_padded > 0 ? static_cast<size_t>(pic->frame.words_padded) : 0;
  if (!checked_size(words, sizeof(uint16_t), size_t{1} << 26, &bytes)) return 0;
  std::vector<uint16_t> values(words + 1);
  std::vector<uint8_t> grid(kHriGridBytes);
  std::vector<uint8_t> marks(8 * kHriGridBytes);
  for (int ch = 0; ch <= 4; ++ch) {
    for (int& c : view->chan_sel) c = 0;
    view->chan_sel[ch] = 1;
    hri_channelselect(pic.get(), view.get());
    for (int skip = 0; skip <= 1; ++skip) {
      view->skip_faulty = skip != 0;
      view->scan_dir = skip != 0 ? ScanDir::BottomUp : ScanDir::TopDown;
      const int lines = pic->height < 4 ? pic->height + 1 : 4;
      for (int n = 0; n < lines; ++n) {
        read_hri1_line(pic.get(), view.get(), n, values.data(), grid.data());
        add_hrigrid(pic.get(), marks.data(), grid.data());
      }
    }
  }
  return 0;
}
