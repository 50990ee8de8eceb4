// libFuzzer target: a replay file of any content behind the decoder
// emulator. The first input byte picks the replay kind (HRPT1, HRI1, .raw16,
// .hrp, raw dump) and the selection; the rest is the file. Frames are pulled
// through the real protocol until the replay ends. The source description
// parser gets the same bytes as text.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/record/emulator.h"
#include "core/record/pp_dec_interf.h"
#include "core/record/station_session.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kelo;
  if (size < 1) return 0;
  {
    EmuConfig cfg;
    std::string err;
    // Only the parse itself is under test here.
    (void)parse_emu_source(std::string(reinterpret_cast<const char*>(data), size), &cfg, &err);
  }
  if (!fuzz::write_scratch(data + 1, size - 1)) return 0;
  const std::string& path = fuzz::scratch_path();

  static const int kKinds[5] = {kEmuHrpt1, kEmuHri1, kEmuRaw16, kEmuHrp, kEmuRawBytes};
  EmuConfig cfg;
  cfg.source = kKinds[data[0] % 5];
  cfg.path = path;
  cfg.raw_frame_len = 364;
  DecoderEmulator emu(cfg);
  std::string err;
  if (emu.open(&err) != 0) return 0;
  StationSession session;
  session.ports().set_port(&emu);
  RECORD_INFO rec;
  rec.port_address = 0x378;
  rec.active = true;
  rec.fast_access = true;
  const int sel[6] = {(data[0] >> 3) & 1, (data[0] >> 4) & 1, (data[0] >> 5) & 1, 1, (data[0] >> 6) & 1, 1};
  select_channel(session, sel, &rec, 0);
  rec.frame.words_per_line = cfg.source == kEmuHri1 || cfg.source == kEmuRawBytes ? 364 : 11090;
  std::vector<uint16_t> words(static_cast<size_t>(rec.frame.words_per_line) + 4);
  for (int k = 0; k < 8; ++k) {
    if (get_hrpt_frame(session, words.data(), &rec) == 0) break;
  }
  return 0;
}
