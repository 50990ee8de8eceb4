// The decoder emulator's registers: what the host sees at base (data lines),
// base+1 (status) and base+2 (control), and how the decoder reacts to the
// host's writes. Like the hardware it hands over one word at a time: the
// word waits, with ready low, until the host pulses the strobe line (an
// acknowledge: strobe falling while the data lines are inputs); a selection
// latches the data lines as the channel mask when the init line rises while
// the data lines are outputs.
#include <chrono>

#include "core/record/emulator.h"
#include "core/record/emulator_synth.h"
#include "core/record/pp_dec_interf.h"

namespace kelo {

namespace {

constexpr uint8_t kPowerOnControl = 0x0C;  // init high, select-in high: normal mode
constexpr uint8_t kPowerOnMask = 0x7E;     // every channel group and the housekeeping words
constexpr int64_t kUsPerSec = 1000000;
constexpr uint8_t kChannelGroupBits = 0x7C;  // mask bits of channel groups 1-5

int64_t steady_us() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

struct DecoderEmulator::State {
  EmuConfig cfg;
  std::unique_ptr<EmuSource> source;    // the configured source
  std::unique_ptr<EmuSource> gen_hrpt;  // built-in generator, HRPT frames
  std::unique_ptr<EmuSource> gen_hri;   // built-in generator, HRI frames
  std::unique_ptr<EmuSource> chrpt_fw;  // decoder-type hardware in CHRPT mode
  std::function<int64_t()> clock = steady_us;

  unsigned long base = 0x378;
  uint8_t data_out = 0xFF;  // what the host last drove on the data lines
  uint8_t control = kPowerOnControl;
  uint8_t mask = kPowerOnMask;
  int mode = 1;
  int64_t reload_until = 0;  // the decoder reloads its firmware until then (us)

  std::vector<uint16_t> words;  // status words of the current frame (ready bit clear)
  size_t pos = 0;
  bool source_ended = false;
  bool silent_for_good = false;
  int64_t frames = 0;
  int64_t acks = 0;
  int latches = 0;
  int64_t t0 = -1;        // pacing origin
  int64_t frame_due = 0;  // when the current frame may be handed over (us)
  uint16_t last = 0xFFFF;
  uint32_t rng = 1;
  EmuFrame frame;

  uint32_t noise() {
    rng ^= rng << 13;
    rng ^= rng >> 17;
    rng ^= rng << 5;
    return rng;
  }

  EmuSource* active_source() {
    if (mode == 0) {
      if (cfg.hw_dectype == 0) {
        // Decoder/generator hardware: the mode line low runs the built-in
        // generator. HRI and raw recording select no channel group (the
        // windows send 0x00, batch HRI only the housekeeping bit 0x02) and
        // get its HRI frames; an HRPT selection gets HRPT frames.
        if ((mask & kChannelGroupBits) == 0) {
          if (!gen_hri) gen_hri = make_pattern_source(true);
          return gen_hri.get();
        }
        if (!gen_hrpt) gen_hrpt = make_pattern_source(false);
        return gen_hrpt.get();
      }
      // Decoder-type hardware: the mode line low loads the CHRPT firmware;
      // a synthetic NOAA pass becomes a FengYun pass.
      if (cfg.source == kEmuNoaa) {
        if (!chrpt_fw) chrpt_fw = make_chrpt_source(cfg);
        return chrpt_fw.get();
      }
    }
    return source.get();
  }

  // The words of a full frame that the latched mask selects.
  void select_words(const EmuFrame& f, std::vector<uint16_t>* out) const {
    out->clear();
    const bool hrpt = f.kind == kKindHRPT && f.words.size() == static_cast<size_t>(kEmuNoaaFrameWords);
    const bool chrpt = f.kind == kKindCHRPT && f.words.size() == static_cast<size_t>(kEmuChrptFrameWords);
    if (!hrpt && !chrpt) {
      *out = f.words;  // HRI and raw streams are bytes: the mask does not apply
      return;
    }
    const int hdr = hrpt ? 750 : 1600;
    const int nch = hrpt ? 5 : 10;
    const int per_group = hrpt ? 1 : 2;  // CHRPT channels are selected in pairs
    const bool housekeeping = (mask & kChanMaskBit[0]) != 0;
    bool take[10] = {};
    for (int c = 0; c < nch; ++c) take[c] = (mask & kChanMaskBit[1 + c / per_group]) != 0;
    out->reserve(f.words.size());
    if (housekeeping) out->insert(out->end(), f.words.begin(), f.words.begin() + hdr);
    for (int x = 0; x < 2048; ++x) {
      const uint16_t* px = &f.words[static_cast<size_t>(hdr + x * nch)];
      for (int c = 0; c < nch; ++c) {
        if (take[c]) out->push_back(px[c]);
      }
    }
    if (housekeeping) out->insert(out->end(), f.words.end() - 100, f.words.end());
  }

  uint16_t status_of(uint16_t w, bool ten_bit, bool sync, bool frame_start) const {
    uint16_t s;
    if (ten_bit) {
      s = static_cast<uint16_t>((w >> 2) & 0xFF);
      if (w & 2) s |= kStatBit1;
      if (w & 1) s |= kStatBit0;
    } else {
      s = static_cast<uint16_t>(w & 0xFF);
    }
    if (sync) s |= kStatSync;
    if (!frame_start) s |= kStatFrameN;
    return s;
  }

  // Prepares the next frame; false when the decoder has nothing to hand over.
  bool next_frame() {
    if (silent_for_good) return false;
    const EmuFaults& fl = cfg.faults;
    if (fl.silent_after >= 0 && frames >= fl.silent_after) {
      silent_for_good = true;
      return false;
    }
    EmuSource* src = active_source();
    if (src == nullptr) return false;
    bool lost =
        fl.sync_loss_at >= 0 && frames >= fl.sync_loss_at && frames < fl.sync_loss_at + fl.sync_loss_frames;
    if (src == source.get() && source_ended) {
      // The pass is over: like a decoder whose signal faded, it loses lock
      // and goes on clocking out noise (the recorders end the pass on the
      // out-of-sync run), or it falls silent when told so.
      if (cfg.end_silent || frame.words.empty()) return false;
      lost = true;
    } else if (!src->next(&frame)) {
      if (!cfg.loop) {
        if (src == source.get()) source_ended = true;
        if (cfg.end_silent || frame.words.empty()) return false;
        lost = true;
      } else {
        src->rewind();
        if (!src->next(&frame)) return false;
      }
    }
    if (lost) {
      // Out of lock the decoder hands over noise with the sync line low.
      frame.sync = 0;
      const uint16_t m = frame.ten_bit ? 0x3FF : 0xFF;
      for (auto& w : frame.words) w = static_cast<uint16_t>(noise() & m);
    }
    std::vector<uint16_t> sel;
    select_words(frame, &sel);
    if (sel.empty()) return false;  // nothing selected: nothing to hand over
    words.clear();
    words.reserve(sel.size() + static_cast<size_t>(fl.noise_words));
    for (int i = 0; i < fl.noise_words; ++i)
      words.push_back(status_of(static_cast<uint16_t>(noise()), true, false, false));
    const bool sync = frame.sync != 0;
    for (size_t i = 0; i < sel.size(); ++i) {
      bool start = i == 0;
      if (frames == fl.midframe_at && i == static_cast<size_t>(fl.midframe_word) && i > 0) start = true;
      words.push_back(status_of(sel[i], frame.ten_bit != 0, sync, start));
    }
    pos = 0;
    if (cfg.real_time) {
      const double rate =
          frame.kind == kKindHRPT || frame.kind == kKindCHRPT ? kEmuHrptFramesPerSec : kEmuHriFramesPerSec;
      if (t0 < 0) t0 = clock();
      frame_due = t0 + static_cast<int64_t>(static_cast<double>(frames) * kUsPerSec / rate);
    }
    ++frames;
    return true;
  }

  bool ready() {
    if (cfg.faults.silent) return false;
    if (reload_until != 0) {
      if (clock() < reload_until) return false;
      reload_until = 0;
    }
    if (pos >= words.size() && !next_frame()) return false;
    if (cfg.real_time && clock() < frame_due) return false;
    return true;
  }

  void set_mode(int m) {
    if (m == mode) return;
    mode = m;
    // Changing the mode reloads the decoder: it forgets its selection, drops
    // the frame in progress and is deaf for a while.
    mask = kPowerOnMask;
    words.clear();
    pos = 0;
    if (cfg.reload_ms > 0) reload_until = clock() + static_cast<int64_t>(cfg.reload_ms) * 1000;
  }

  void write_control(uint8_t v) {
    const uint8_t old = control;
    control = v;
    set_mode((v & kCtlMode) ? 1 : 0);
    const bool inputs = (v & kCtlDirIn) != 0;
    if (inputs && (old & kCtlStrobe) && !(v & kCtlStrobe)) {
      // Acknowledge: the word waiting is taken; the next one follows.
      if (ready()) {
        ++pos;
        ++acks;
      }
    }
    if (!inputs && !(old & kCtlInit) && (v & kCtlInit)) {
      // The rising init line latches the data lines as the channel mask,
      // unless the decoder is still reloading.
      if (reload_until == 0 || clock() >= reload_until) {
        reload_until = 0;
        if (data_out != mask) {
          words.clear();  // a new selection starts with a new frame
          pos = 0;
        }
        mask = data_out;
        ++latches;
      }
    }
  }
};

DecoderEmulator::DecoderEmulator(const EmuConfig& cfg) : st_(std::make_unique<State>()) {
  st_->cfg = cfg;
  st_->rng = cfg.seed != 0 ? cfg.seed : 1;
}

DecoderEmulator::~DecoderEmulator() = default;

int DecoderEmulator::open(std::string* error) {
  st_->source = make_emu_source(st_->cfg, error);
  st_->source_ended = false;
  return st_->source ? 0 : 1;
}

void DecoderEmulator::set_source(std::unique_ptr<EmuSource> source) {
  st_->source = std::move(source);
  st_->source_ended = false;
  st_->words.clear();
  st_->pos = 0;
}

void DecoderEmulator::set_clock(std::function<int64_t()> now_us) { st_->clock = std::move(now_us); }

int DecoderEmulator::ioperm(unsigned long base, unsigned long num, int turn_on) {
  if (turn_on && num <= kPortRegisters) st_->base = base;
  return num <= kPortRegisters ? 0 : -1;
}

uint16_t DecoderEmulator::inw(unsigned addr) {
  if (addr != st_->base) return static_cast<uint16_t>(inb(addr) | (inb(addr + 1) << 8));
  State& s = *st_;
  if (s.ready()) {
    s.last = s.words[s.pos];
    return s.last;
  }
  return static_cast<uint16_t>(s.last | kStatReadyN);
}

uint8_t DecoderEmulator::inb(unsigned addr) {
  State& s = *st_;
  const unsigned long off = addr - s.base;
  if (off == kPortControl) return s.control;
  const uint16_t w = inw(static_cast<unsigned>(s.base));
  if (off == kPortData) return (s.control & kCtlDirIn) ? static_cast<uint8_t>(w & 0xFF) : s.data_out;
  if (off == kPortStatus) return static_cast<uint8_t>(w >> 8);
  return 0xFF;
}

void DecoderEmulator::outb(uint8_t value, unsigned addr) {
  State& s = *st_;
  const unsigned long off = addr - s.base;
  if (off == kPortData)
    s.data_out = value;
  else if (off == kPortControl)
    s.write_control(value);
}

uint8_t DecoderEmulator::latched_mask() const { return st_->mask; }
int DecoderEmulator::mode_line() const { return st_->mode; }
int64_t DecoderEmulator::frames_started() const { return st_->frames; }
int64_t DecoderEmulator::words_acknowledged() const { return st_->acks; }
int DecoderEmulator::latch_count() const { return st_->latches; }

}  // namespace kelo
