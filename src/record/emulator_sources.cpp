#include "record/emulator.h"

namespace kelo {

int parse_emu_source(const std::string&, EmuConfig*, std::string* error) {
  if (error) *error = "not available";
  return 1;
}
std::unique_ptr<EmuSource> make_emu_source(const EmuConfig&, std::string* error) {
  if (error) *error = "not available";
  return nullptr;
}
std::unique_ptr<EmuSource> make_pattern_source(bool) { return nullptr; }

}  // namespace kelo
