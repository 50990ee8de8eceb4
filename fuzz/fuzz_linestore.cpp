// libFuzzer target: line sets of any geometry and content through despeckle,
// the RGB channel map and the AVHRR calibration, with any view settings the
// windows and preferences could hold (no read past a buffer, no undefined
// arithmetic whatever the samples, shifts, tilts, weights or limits).
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "core/base/records.h"
#include "core/view/data_proc.h"
#include "core/view/hrpt_calcs.h"

namespace {

class Cursor {
 public:
  Cursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t u8() { return pos_ < size_ ? data_[pos_++] : 0; }
  int16_t s16() { return static_cast<int16_t>(static_cast<uint16_t>(u8() | (u8() << 8))); }
  int32_t s32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(u8()) << (8 * i);
    return static_cast<int32_t>(v);
  }
  float f32() {
    const int32_t bits = s32();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kelo;
  Cursor in(data, size);

  auto pic = std::make_unique<PIC_INFO>();
  auto view = std::make_unique<VIEW_INFO>();
  const FileKind kinds[] = {kKindHRPT, kKindCHRPT, kKindAHRPT, kKindPGM, kKindGIF, kKindHRI};
  pic->file_type = kinds[in.u8() % std::size(kinds)];
  pic->frame.hdr_words = in.u8() * 4;  // up to 1020, covers the 750 of HRPT
  pic->frame.n_channels = in.u8() % 12;
  pic->width = in.u8() % 96;
  pic->frame.words_padded = in.u8() * 8;  // may be too small for the geometry
  for (int ch = 0; ch <= kMaxChannels; ++ch) pic->chan_present[ch] = in.u8() & 1;
  pic->sat_name = "NOAA " + std::to_string(in.u8() % 24);
  const int n = in.u8() % 10;

  view->despeckle_on = true;
  view->desp_ulimit = in.s16();
  view->desp_llimit = in.s16();
  view->orientation = (in.u8() & 1) != 0 ? Orientation::FromSouth : Orientation::Normal;
  view->vshift_min = in.s16();
  for (int c = 0; c < 3; ++c) view->map_offset[c] = in.s32();
  for (int ch = 1; ch <= kMaxChannels; ++ch) {
    view->map_used[ch] = in.u8() & 1;
    view->tilt[ch] = in.s32();
    view->vshift[ch] = in.s32();
    view->hshift[ch] = in.s32();
    view->map_wr[ch] = in.f32();
    view->map_wg[ch] = in.f32();
    view->map_wb[ch] = in.f32();
  }

  LineSet set(pic->frame.words_padded, n);
  if (!set.ok()) return 0;
  const size_t room = static_cast<size_t>(pic->frame.words_padded) * kLineBufFactor;
  for (int i = 0; i < n; ++i) {
    for (size_t w = 0; w < room; ++w) set[i][w] = static_cast<uint16_t>(in.u8() | ((in.u8() & 3) << 8));
  }

  despeckle(pic.get(), view.get(), set.get(), n);
  std::vector<uint16_t> r(static_cast<size_t>(pic->width) + 1), g(r.size()), b(r.size());
  Translate_Line(view.get(), pic.get(), in.s16() % 20, 0, in.u8() & 1, set.get(), n, r.data(), g.data(),
                 b.data());
  const CAL_COEFS cal = load_cal(pic->sat_name, nullptr);
  NoaaTempState temp_state;
  map_noaatemp(set.get(), n, &cal, pic.get(), view.get(), &temp_state);
  uint16_t gr, gg, gb;
  add_gridpix(view.get(), &gr, &gg, &gb);
  return 0;
}
