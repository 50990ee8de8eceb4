// libFuzzer target: an HRPT1 recording of any content is opened, its lines
// are read in both pass directions with and without skipping, and its frame
// headers are searched.
//
// Input: byte 0 chooses the variant (low two bits: HRPT, CHRPT, SeaStar) and
// the form: with bit 7 set the rest is the whole file as it stands (short and
// truncated headers); otherwise the next 320 bytes are the start of the
// 16000-byte header (every field the reader looks at lies there), zero-padded,
// and what follows are the line records.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/base/bytes.h"
#include "core/base/records.h"
#include "core/files/hrpt1_read.h"
#include "core/files/hrpt_framehdr.h"
#include "fuzz_support.h"

namespace {

constexpr size_t kHeaderPrefix = 320;  // beyond the CHRPT scan angle at 316
constexpr int kMaxLinesRead = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kelo;
  if (size < 1) return 0;
  const std::string& path = fuzz::scratch_path();
  const FileKind kinds[3] = {kKindHRPT, kKindCHRPT, kKindSeaStar};
  const FileKind kind = kinds[(data[0] & 3) % 3];
  std::vector<uint8_t> file;
  if ((data[0] & 0x80) != 0) {
    file.assign(data + 1, data + size);
  } else {
    const size_t pre = std::min(size - 1, kHeaderPrefix);
    file.assign(kHrpt1HdrLen, 0);
    std::copy(data + 1, data + 1 + pre, file.begin());
    file.insert(file.end(), data + 1 + pre, data + size);
  }
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return 0;
  if (!file.empty()) std::fwrite(file.data(), 1, file.size(), out);
  std::fclose(out);

  auto pic = std::make_unique<PIC_INFO>();
  auto view = std::make_unique<VIEW_INFO>();
  pic->file_type = kind;
  if (!pic->pic_fp.open(path, "rb")) return 0;
  if (read_hrpt1_hdr(pic.get()) != 0) return 0;

  // Exactly the words of a line: a reader writing one word more is caught.
  size_t bytes = 0;
  const size_t words = static_cast<size_t>(std::max(pic->frame.words_per_line, 0));
  if (!checked_size(words, sizeof(uint16_t), size_t{1} << 26, &bytes)) return 0;
  std::vector<uint16_t> line(words);
  const int last = std::min(pic->height, kMaxLinesRead);
  for (int pass = 0; pass < 4; ++pass) {
    view->scan_dir = (pass & 1) != 0 ? ScanDir::BottomUp : ScanDir::TopDown;
    view->skip_faulty = (pass & 2) != 0;
    view->skip_mask = 0xEC;
    for (int n = -1; n <= last; ++n) read_hrpt1_line(pic.get(), view.get(), n, line.data());
  }
  FRAME_HDR hdr;
  if (get_hrpt_framehdr(pic.get(), nullptr, 0, &hdr) == 1) {
    BrokenTime ref{};
    ref.tm_year = 120;
    interpret_framehdr(&hdr, &ref);
  }
  search_first_reliable_frame(0, pic.get(), nullptr, &hdr);
  hrpt_lines_in_file(pic.get());
  return 0;
}
