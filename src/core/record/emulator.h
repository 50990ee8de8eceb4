// The decoder emulator: a software stand-in for the hardware decoder behind
// the parallel port. It presents the decoder's register protocol exactly
// (ready active low, frame-start word, sync line, the acknowledge handshake,
// the channel mask latched on the rising init line, the mode line) and hands
// over frames from a source: the built-in test pattern, a synthetic NOAA or
// FengYun pass, synthetic HRI frames, or a replay of a recording or of the
// frame files that software-radio pipelines write.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/record/port.h"

namespace kelo {

// Where the emulated decoder's frames come from.
enum EmuSourceKind : int {
  kEmuPattern = 0,   // the decoder's own test-pattern generator
  kEmuNoaa = 1,      // synthetic NOAA HRPT pass with calibration telemetry
  kEmuChrpt = 2,     // synthetic FengYun CHRPT pass
  kEmuHri = 3,       // synthetic HRI picture frames
  kEmuHrpt1 = 4,     // replay of an HRPT1 recording (HRPT or CHRPT)
  kEmuHri1 = 5,      // replay of an HRI1 recording
  kEmuRawBytes = 6,  // replay of a raw byte dump (8-bit words)
  kEmuRaw16 = 7,     // NOAA frames, 11090 little-endian 16-bit words each (".raw16")
  kEmuHrp = 8,       // NOAA frames, 11090 big-endian 16-bit words each (".hrp")
};

// Faults the emulator can be told to show, for testing the engines.
struct EmuFaults {
  int silent = 0;                // never ready (a dead or unplugged decoder)
  int64_t silent_after = -1;     // silent once this many frames were started (-1 never)
  int64_t sync_loss_at = -1;     // first frame delivered with the sync line low
  int64_t sync_loss_frames = 0;  // number of such frames (noise content, frame marker kept)
  int noise_words = 0;           // noise words without frame marker before every frame
  int64_t midframe_at = -1;      // frame that carries a second frame-start marker
  int midframe_word = 0;         // ... at this delivered word of that frame
};

struct EmuConfig {
  int source = kEmuPattern;
  std::string path;                 // replay file
  int sat_addr = 13;                // NOAA spacecraft address (13 = NOAA 18)
  int ch3a = 0;                     // 1: channel 3A in use (visible), 0: 3B (infrared)
  int fy_addr = 13;                 // FengYun address nibble (12 = 1C, 13 = 1D)
  int64_t start_time = 1167652800;  // pass start, seconds since 1970 UTC (2007-01-01 12:00)
  int64_t frames = 0;               // frames of a synthetic pass; 0 = endless
  int loop = 0;                     // start again at the end of the source
  int end_silent = 0;               // at the end fall silent (else lose lock: noise out of sync)
  int real_time = 0;                // pace frames at the satellite's rate
  int hw_dectype = 0;               // 0 decoder/generator hardware, 1 decoder-type
  int reload_ms = 300;              // decoder reload time after a mode change
  int raw_frame_len = 364;          // raw byte replay: a frame marker every this many bytes
  uint32_t seed = 1;                // noise generator
  EmuFaults faults;
};

// Parses an emulator source description: a source name ("pattern", "noaa",
// "chrpt", "hri") or a file to replay, followed by comma-separated options:
// "sat=N" (NOAA number 15/16/18/19 or address), "ch3a", "fy=1C|1D",
// "ch3b", "frames=N", "start=YYYY-MM-DDTHH:MM:SS", "loop", "end=noise",
// "end=silent", "realtime",
// "fast", "silent", "silent_after=N", "syncloss=F:N", "noise=N",
// "midframe=F:W", "seed=N", "reload=MS", "framelen=N" (raw dumps).
// A file is replayed by its kind: ".raw16" and ".hrp" by the name, HRPT1
// and HRI1 recordings by their first bytes, anything else as a raw dump.
// 0 on success; 1 with a message in `error`.
[[nodiscard]] int parse_emu_source(const std::string& text, EmuConfig* cfg, std::string* error);

// Frame rates of the real streams, used for real-time pacing.
inline constexpr double kEmuHrptFramesPerSec = 6.0;                  // NOAA minor frames per second
inline constexpr double kEmuHriFramesPerSec = 166666.0 / (364 * 8);  // 166.7 kbit/s in 364-byte frames

// One frame as the decoder's front end sees it before the channel mask.
struct EmuFrame {
  std::vector<uint16_t> words;  // 10-bit words (HRPT/CHRPT) or bytes (HRI, raw)
  int sync = 1;                 // decoder in sync during this frame
  int ten_bit = 1;              // 10-bit words (payload bits 12/13 used)
  FileKind kind = kKindHRPT;    // HRPT, CHRPT, HRI, or kKindNone for raw bytes
};

// A stream of frames. next() returns false at the end of the source.
class EmuSource {
 public:
  virtual ~EmuSource() = default;
  virtual bool next(EmuFrame* frame) = 0;
  // Starts again from the beginning.
  virtual void rewind() = 0;
};

// Opens the source of a configuration (replay files are read here). Null
// with a message in `error` when it cannot be opened.
std::unique_ptr<EmuSource> make_emu_source(const EmuConfig& cfg, std::string* error);
// The decoder's built-in test pattern: HRPT frames (mask non-zero) or HRI
// frames (mask 0x00, as HRI and raw recording select).
std::unique_ptr<EmuSource> make_pattern_source(bool hri);

// ---------------------------------------------------------------- synthetic passes
// The scene the synthetic passes show: a brightness temperature (kelvin) and
// a visible albedo (0-1) for every line and pixel. A warm-to-cold ramp
// across the swath (320 K at pixel 0 down to 200 K at pixel 2047) with a band
// of cold, bright cloud (215 K, albedo 0.75) over pixels 600-1399 on lines
// 200-399 of every 600.
double emu_scene_temperature(int64_t line, int pixel);
double emu_scene_albedo(int64_t line, int pixel);

inline constexpr int kEmuNoaaFrameWords = 11090;   // 750 + 5 * 2048 + 100
inline constexpr int kEmuChrptFrameWords = 22180;  // 1600 + 10 * 2048 + 100
inline constexpr int kEmuHriFrameBytes = 364;
// Word positions of the NOAA minor-frame telemetry (0-based).
inline constexpr int kEmuNoaaIdWord = 6;
inline constexpr int kEmuNoaaDayWord = 8;         // day of year (1-366) << 1
inline constexpr int kEmuNoaaMsecWord = 9;        // words 9-11: milliseconds of the day, 27 bits
inline constexpr int kEmuNoaaPrtWord = 17;        // words 17-19: the PRT reading of this line
inline constexpr int kEmuNoaaPrtRefMax = 4;       // a reference line has all three at most 4
inline constexpr int kEmuNoaaBbWord = 19;         // blackbody count i of channel ch: 19 + ch + 3i
inline constexpr int kEmuNoaaSpaceWord = 51;      // space count i of channel ch: 51 + ch + 5i
inline constexpr int kEmuNoaaCalSamples = 10;     // samples of each calibration view
inline constexpr int kEmuNoaaRefPrtCount = 2;     // the reference reading (every fifth line)
inline constexpr int kEmuNoaaVisSpaceCount = 40;  // visible channels looking at space
inline constexpr int kEmuNoaaVisGain = 900;       // visible counts for albedo 1
// Calibration facts of a synthetic NOAA pass, as the satellite would send them.
struct EmuNoaaCal {
  int prt_count = 0;        // one count for all four PRTs (lines 1-4 of every 5)
  double t_bb = 0;          // blackbody temperature the four PRTs average to (K)
  int bb_count[6] = {};     // blackbody counts of channels 3-5 (3: 0 when 3A)
  int space_count[6] = {};  // space counts of channels 1-5
};
// The calibration a synthetic pass of spacecraft address `addr` carries
// (NOAA 14, 15, 16, 18, 19; other addresses use the NOAA-18 instrument).
EmuNoaaCal emu_noaa_calibration(int addr, int ch3a);
// The Earth count of infrared channel ch (3-5) for a scene temperature.
int emu_noaa_ir_count(int addr, int ch, double kelvin);

// Writes `frames` NOAA minor frames of a source as a frame file of the kind
// software-radio pipelines write (11 090 16-bit words per frame; big-endian
// ".hrp" or little-endian ".raw16"). The file appears only when complete.
// 0, or 1 with a message (the source is not an HRPT source, or ends early,
// or the file cannot be written).
int emu_write_frame_file(const EmuConfig& cfg, const std::string& path, int64_t frames, bool big_endian,
                         std::string* error);

class DecoderEmulator : public PortBackend {
 public:
  explicit DecoderEmulator(const EmuConfig& cfg);
  ~DecoderEmulator() override;
  // Opens the configured source; 0 on success, 1 with a message.
  int open(std::string* error);
  // Uses a given source instead of the configured one (tests, tools).
  void set_source(std::unique_ptr<EmuSource> source);
  // Microsecond clock for pacing and the reload time (tests install a fake).
  void set_clock(std::function<int64_t()> now_us);

  const char* name() const override { return "emulator"; }
  int ioperm(unsigned long base, unsigned long num, int turn_on) override;
  uint16_t inw(unsigned addr) override;
  uint8_t inb(unsigned addr) override;
  void outb(uint8_t value, unsigned addr) override;

  // What the decoder holds, for tests and the docs' figures.
  uint8_t latched_mask() const;
  int mode_line() const;  // 1 normal, 0 generator / CHRPT firmware
  int64_t frames_started() const;
  int64_t words_acknowledged() const;
  int latch_count() const;  // selections the decoder accepted

 private:
  struct State;
  std::unique_ptr<State> st_;
};

}  // namespace kelo
