// libFuzzer target: a two-line element file of any content is read set by
// set, looked up by name, and every set read drives the orbit model for a
// few pixels (damaged numbers must neither hang nor crash the model).
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "core/base/records.h"
#include "core/orbit/calc_satpos.h"
#include "core/orbit/parse_norad.h"
#include "core/orbit/select_kepler_core.h"

namespace {
constexpr int kMaxSets = 32;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kelo;
  if (size == 0) return 0;
  FILE* fp = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (fp == nullptr) return 0;
  std::string name;
  KEPLER k;
  auto pic = std::make_unique<PIC_INFO>();
  for (int n = 0; n < kMaxSets && read_norad_next_keps(fp, &name, &k) == 1; ++n) {
    pic->kepler = k;
    pic->orbit = ORBIT{};
    if (calc_orbitconst(&pic->kepler, &pic->orbit) == 0) continue;
    pic->lines_per_sec = 6;
    pic->pixels_per_chan = 2048;
    pic->scan_angle = 55.4f;
    pic->orbit.use_sattime = true;
    pic->orbit.start_tm = pic->orbit.epoch_tm;
    POSITION p;
    for (int y : {0, 7, 3600})
      for (int x : {0, 1024, 2048}) xy2lonlat(x, y, pic.get(), &p);
  }
  get_satkeps(fp, name.c_str(), &k);
  std::fclose(fp);
  return 0;
}
