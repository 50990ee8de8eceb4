#include "record/emulator.h"

namespace kelo {

struct DecoderEmulator::State {};
DecoderEmulator::DecoderEmulator(const EmuConfig&) : st_(std::make_unique<State>()) {}
DecoderEmulator::~DecoderEmulator() = default;
int DecoderEmulator::open(std::string* error) {
  if (error) *error = "not available";
  return 1;
}
void DecoderEmulator::set_source(std::unique_ptr<EmuSource>) {}
void DecoderEmulator::set_clock(std::function<int64_t()>) {}
int DecoderEmulator::ioperm(unsigned long, unsigned long, int) { return -1; }
uint16_t DecoderEmulator::inw(unsigned) { return 0xFFFF; }
uint8_t DecoderEmulator::inb(unsigned) { return 0; }
void DecoderEmulator::outb(uint8_t, unsigned) {}
uint8_t DecoderEmulator::latched_mask() const { return 0; }
int DecoderEmulator::mode_line() const { return 0; }
int64_t DecoderEmulator::frames_started() const { return 0; }
int64_t DecoderEmulator::words_acknowledged() const { return 0; }
int DecoderEmulator::latch_count() const { return 0; }

}  // namespace kelo
