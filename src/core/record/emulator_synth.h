// Source factories of the decoder emulator (internal to src/record).
#pragma once

#include <memory>

#include "core/record/emulator.h"

namespace kelo {

std::unique_ptr<EmuSource> make_noaa_source(const EmuConfig& cfg);
std::unique_ptr<EmuSource> make_chrpt_source(const EmuConfig& cfg);
std::unique_ptr<EmuSource> make_hri_source(const EmuConfig& cfg, bool test_pattern);

}  // namespace kelo
