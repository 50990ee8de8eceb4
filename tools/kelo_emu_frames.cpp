// kelo-emu-frames: writes a synthetic NOAA pass (or another HRPT source of
// the decoder emulator) as a frame file of the kind software-radio pipelines
// write, for testing a station's tools and the emulator's replay.
//
//   kelo-emu-frames <source> <out.raw16|out.hrp> <frames>
//   kelo-emu-frames noaa,sat=19,start=2026-12-06T10:15:00 pass.raw16 5400
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/record/emulator.h"

int main(int argc, char** argv) {
  using namespace kelo;
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s <source> <out.raw16|out.hrp> <frames>\n", argv[0]);
    return 1;
  }
  EmuConfig cfg;
  std::string error;
  if (parse_emu_source(argv[1], &cfg, &error) != 0) {
    std::fprintf(stderr, "ERROR: %s\n", error.c_str());
    return 1;
  }
  char* end = nullptr;
  const long long frames = std::strtoll(argv[3], &end, 10);
  if (end == argv[3] || *end != '\0' || frames < 1 || frames > 10000000) {
    std::fprintf(stderr, "ERROR: frame count '%s' out of range (1-10000000).\n", argv[3]);
    return 1;
  }
  const std::string out = argv[2];
  const bool big_endian = out.size() >= 4 && out.compare(out.size() - 4, 4, ".hrp") == 0;
  if (emu_write_frame_file(cfg, out, frames, big_endian, &error) != 0) {
    std::fprintf(stderr, "ERROR: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
