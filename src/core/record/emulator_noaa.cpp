// Synthetic polar passes for the decoder emulator: NOAA HRPT minor frames
// with real calibration telemetry, and FengYun CHRPT frames.
//
// The NOAA frames carry what a brightness-temperature calibration needs: the
// PRT readings of the internal blackbody in words 17-19 (a reference line
// every fifth line), ten blackbody counts per infrared channel, ten space
// counts per channel, and Earth counts computed backwards through the AVHRR
// calibration from a scene of known brightness temperature, so that a
// correct calibration reads the scene back.
#include <cmath>
#include <ctime>

#include "core/record/emulator.h"
#include "core/record/emulator_synth.h"

namespace kelo {

namespace {

// Sync words of every minor frame.
constexpr uint16_t kSync[6] = {644, 367, 860, 413, 527, 149};

constexpr int kHdrWords = 750;
constexpr int kFyHdrWords = 1600;
constexpr int kPixels = 2048;
constexpr int kTailWords = 100;
static_assert(kHdrWords + 5 * kPixels + kTailWords == kEmuNoaaFrameWords,
              "NOAA minor frame: 750 + 5 * 2048 + 100");
static_assert(kFyHdrWords + 10 * kPixels + kTailWords == kEmuChrptFrameWords,
              "CHRPT frame: 1600 + 10 * 2048 + 100");

// Radiation constants, mW/(m^2 sr cm^-4) and cm K.
constexpr double kC1 = 1.1910427e-05;
constexpr double kC2 = 1.4387752;

// The instrument of one satellite: PRT polynomials (PRT 1-4) and the channel
// constants of channels 3-5 (KLM form of the non-linearity: R = Rlin + b0 +
// b1 Rlin + b2 Rlin^2).
struct Instrument {
  int addr;
  double d[4][5];  // d0..d4 of each PRT
  double vc[3], A[3], B[3], Ns[3], b0[3], b1[3], b2[3];
};

// NOAA KLM User's Guide and NOAA Polar Orbiter Data User's Guide values.
// NOAA-14 has no band correction (A 0, B 1) and its non-linearity in the same
// KLM form (b1 less the unit factor of its older quadratic form).
constexpr Instrument kInstruments[] = {
    {5,  // NOAA 14
     {{276.597, 0.051275, 1.363e-06, 0, 0},
      {276.597, 0.051275, 1.363e-06, 0, 0},
      {276.597, 0.051275, 1.363e-06, 0, 0},
      {276.597, 0.051275, 1.363e-06, 0, 0}},
     {2642.807, 928.8284, 834.8066},
     {0, 0, 0},
     {1, 1, 1},
     {0.0069, -4.05, -2.29},
     {-0.0031, 3.72, 2.0},
     {0.00359, -0.07622, -0.03806},
     {0, 0.0003822, 0.0001742}},
    {7,  // NOAA 15
     {{276.6016, 0.051045, 1.36328e-06, 0, 0},
      {276.6253, 0.050909, 1.47266e-06, 0, 0},
      {276.6741, 0.050907, 1.47656e-06, 0, 0},
      {276.5926, 0.050966, 1.47656e-06, 0, 0}},
     {2695.974, 925.4075, 839.8979},
     {1.621256, 0.33781, 0.304558},
     {0.998015, 0.998719, 0.999024},
     {0, -4.5, -3.61},
     {0, 4.76, 3.83},
     {0, -0.0932, -0.0659},
     {0, 0.0004524, 0.0002811}},
    {3,  // NOAA 16
     {{276.355, 0.05562, -1.59e-05, 2.486e-08, -1.199e-11},
      {276.142, 0.05605, -1.707e-05, 2.595e-08, -1.224e-11},
      {275.996, 0.05486, -1.223e-05, 1.862e-08, -8.53e-12},
      {276.132, 0.05494, -1.344e-05, 2.112e-08, -1.001e-11}},
     {2700.115, 917.2289, 838.1255},
     {1.592459, 0.33238, 0.674623},
     {0.998147, 0.998522, 0.998363},
     {0, -2.467, -2.009},
     {0, 2.96, 2.25},
     {0, -0.05411, -0.03665},
     {0, 0.00024532, 0.00014854}},
    {13,  // NOAA 18
     {{276.601, 0.0509, 1.657e-06, 0, 0},
      {276.683, 0.05101, 1.482e-06, 0, 0},
      {276.565, 0.05117, 1.313e-06, 0, 0},
      {276.615, 0.05103, 1.484e-06, 0, 0}},
     {2659.7952, 928.1460, 833.2532},
     {1.698704, 0.436645, 0.253179},
     {0.99696, 0.998607, 0.999057},
     {0, -5.53, -2.22},
     {0, 5.82, 2.67},
     {0, -0.11069, -0.04360},
     {0, 0.00052337, 0.00017715}},
    {15,  // NOAA 19
     {{276.6067, 0.051111, 1.405783e-06, 0, 0},
      {276.6119, 0.05109, 1.496037e-06, 0, 0},
      {276.6311, 0.051033, 1.49699e-06, 0, 0},
      {276.6268, 0.051058, 1.49311e-06, 0, 0}},
     {2670.0, 928.9, 831.9},
     {1.67396, 0.53959, 0.36064},
     {0.997364, 0.998534, 0.998913},
     {0, -5.49, -3.39},
     {0, 5.70, 3.58},
     {0, -0.11187, -0.05991},
     {0, 0.00054668, 0.00024985}},
};

const Instrument& instrument(int addr) {
  for (const auto& in : kInstruments) {
    if (in.addr == addr) return in;
  }
  return kInstruments[3];  // NOAA 18
}

// The instrument's design point: blackbody near 288 K, space seen at count
// 1000 in the infrared, and a gain that puts a 330 K scene near count 30.
constexpr double kBbTarget = 288.0;
constexpr int kIrSpaceCount = 1000;
constexpr double kWarmest = 330.0;
constexpr int kWarmestCount = 30;

double prt_temp(const Instrument& in, int p, double n) {
  const double* d = in.d[p];
  return d[0] + d[1] * n + d[2] * n * n + d[3] * n * n * n + d[4] * n * n * n * n;
}

double mean_prt_temp(const Instrument& in, double n) {
  double t = 0;
  for (int p = 0; p < 4; ++p) t += prt_temp(in, p, n);
  return t / 4;
}

double planck(double vc, double te) { return kC1 * vc * vc * vc / (std::exp(kC2 * vc / te) - 1.0); }

// Radiance a correct calibration turns into `kelvin` (band-corrected Planck).
double scene_radiance(const Instrument& in, int i, double kelvin) {
  return planck(in.vc[i], in.A[i] + in.B[i] * kelvin);
}

// Linear radiance whose corrected value is R: solve
// b2 Rlin^2 + (1 + b1) Rlin + b0 - R = 0 for the root near R.
double linear_radiance(const Instrument& in, int i, double r) {
  const double a = in.b2[i], b = 1.0 + in.b1[i], c = in.b0[i] - r;
  if (std::fabs(a) < 1e-15) return -c / b;
  const double disc = b * b - 4 * a * c;
  return (-b + std::sqrt(disc > 0 ? disc : 0)) / (2 * a);
}

struct ChannelCal {
  double nbb = 0;   // blackbody radiance
  int cbb = 0;      // blackbody count
  double gain = 0;  // counts per unit of linear radiance
};

ChannelCal channel_cal(const Instrument& in, int i, double t_bb) {
  ChannelCal c;
  c.nbb = scene_radiance(in, i, t_bb);
  const double warm = linear_radiance(in, i, scene_radiance(in, i, kWarmest));
  double gain = (kIrSpaceCount - kWarmestCount) / (warm - in.Ns[i]);
  c.cbb = static_cast<int>(std::lround(kIrSpaceCount - gain * (c.nbb - in.Ns[i])));
  // The calibration the ground does uses the integer counts: make the gain
  // exactly what the counts say.
  c.gain = (kIrSpaceCount - c.cbb) / (c.nbb - in.Ns[i]);
  return c;
}

int clamp10(long v) { return v < 0 ? 0 : (v > 1023 ? 1023 : static_cast<int>(v)); }

int prt_count_for(const Instrument& in) {
  // Newton on the mean of the four PRT polynomials.
  double n = (kBbTarget - in.d[0][0]) / in.d[0][1];
  for (int it = 0; it < 20; ++it) {
    const double f = mean_prt_temp(in, n) - kBbTarget;
    const double df = (mean_prt_temp(in, n + 0.5) - mean_prt_temp(in, n - 0.5));
    if (df == 0) break;
    n -= f / df;
  }
  return clamp10(std::lround(n));
}

int visible_count(double albedo, double gain_factor) {
  return clamp10(std::lround(kEmuNoaaVisSpaceCount + kEmuNoaaVisGain * gain_factor * albedo));
}

// Day of year (1-366) and milliseconds of the day of a time in ms since 1970.
void day_and_msec(int64_t ms_since_epoch, int* day, int* msec) {
  const int64_t secs = ms_since_epoch / 1000;
  std::time_t t = static_cast<std::time_t>(secs);
  std::tm tm{};
  gmtime_r(&t, &tm);
  *day = tm.tm_yday + 1;
  *msec = static_cast<int>(((tm.tm_hour * 60 + tm.tm_min) * 60 + tm.tm_sec) * 1000LL + ms_since_epoch % 1000);
}

void put_time_code(std::vector<uint16_t>& w, int64_t ms_since_epoch) {
  int day = 0, msec = 0;
  day_and_msec(ms_since_epoch, &day, &msec);
  w[kEmuNoaaDayWord] = static_cast<uint16_t>((day << 1) & 0x3FF);
  w[kEmuNoaaMsecWord] = static_cast<uint16_t>((msec >> 20) & 0x7F);
  w[kEmuNoaaMsecWord + 1] = static_cast<uint16_t>((msec >> 10) & 0x3FF);
  w[kEmuNoaaMsecWord + 2] = static_cast<uint16_t>(msec & 0x3FF);
}

// Frame time: minor frames follow each other at 6 per second.
int64_t frame_ms(const EmuConfig& cfg, int64_t k) { return cfg.start_time * 1000 + k * 1000 / 6; }

class NoaaSource : public EmuSource {
 public:
  explicit NoaaSource(const EmuConfig& cfg)
      : cfg_(cfg), in_(instrument(cfg.sat_addr)), cal_(emu_noaa_calibration(cfg.sat_addr, cfg.ch3a)) {
    for (int i = 0; i < 3; ++i) ch_[i] = channel_cal(in_, i, cal_.t_bb);
  }

  bool next(EmuFrame* f) override {
    if (cfg_.frames > 0 && k_ >= cfg_.frames) return false;
    f->words.assign(kEmuNoaaFrameWords, 0);
    f->sync = 1;
    f->ten_bit = 1;
    f->kind = kKindHRPT;
    auto& w = f->words;
    for (int i = 0; i < 6; ++i) w[static_cast<size_t>(i)] = kSync[i];
    // Identification: minor frame number (bits 8-7), spacecraft address
    // (bits 6-3), channel 3 select in bit 0 (1 = 3A).
    w[kEmuNoaaIdWord] =
        static_cast<uint16_t>(((k_ % 3) << 7) | ((cfg_.sat_addr & 0xF) << 3) | (cfg_.ch3a ? 1 : 0));
    put_time_code(w, frame_ms(cfg_, k_));
    // PRT: the reference reading on every fifth line, then PRT 1-4.
    const int prt = (k_ % 5 == 0) ? kEmuNoaaRefPrtCount : cal_.prt_count;
    for (int i = 0; i < 3; ++i) w[static_cast<size_t>(kEmuNoaaPrtWord + i)] = static_cast<uint16_t>(prt);
    for (int ch = 3; ch <= 5; ++ch) {
      for (int i = 0; i < kEmuNoaaCalSamples; ++i)
        w[static_cast<size_t>(kEmuNoaaBbWord + ch + 3 * i)] = static_cast<uint16_t>(cal_.bb_count[ch]);
    }
    for (int ch = 1; ch <= 5; ++ch) {
      for (int i = 0; i < kEmuNoaaCalSamples; ++i)
        w[static_cast<size_t>(kEmuNoaaSpaceWord + ch + 5 * i)] = static_cast<uint16_t>(cal_.space_count[ch]);
    }
    for (int x = 0; x < kPixels; ++x) {
      const double t = emu_scene_temperature(k_, x);
      const double a = emu_scene_albedo(k_, x);
      uint16_t* px = &w[static_cast<size_t>(kHdrWords + 5 * x)];
      px[0] = static_cast<uint16_t>(visible_count(a, 1.0));
      px[1] = static_cast<uint16_t>(visible_count(a, 0.9));
      px[2] = static_cast<uint16_t>(cfg_.ch3a ? visible_count(a, 0.8) : ir_count(0, t));
      px[3] = static_cast<uint16_t>(ir_count(1, t));
      px[4] = static_cast<uint16_t>(ir_count(2, t));
    }
    ++k_;
    return true;
  }

  void rewind() override { k_ = 0; }

 private:
  int ir_count(int i, double kelvin) {
    // The scene has few distinct temperatures per line: remember the last.
    if (kelvin == last_t_[i]) return last_c_[i];
    const double rlin = linear_radiance(in_, i, scene_radiance(in_, i, kelvin));
    last_t_[i] = kelvin;
    last_c_[i] = clamp10(std::lround(kIrSpaceCount - ch_[i].gain * (rlin - in_.Ns[i])));
    return last_c_[i];
  }

  EmuConfig cfg_;
  const Instrument& in_;
  EmuNoaaCal cal_;
  ChannelCal ch_[3];
  int64_t k_ = 0;
  double last_t_[3] = {-1, -1, -1};
  int last_c_[3] = {};
};

class ChrptSource : public EmuSource {
 public:
  explicit ChrptSource(const EmuConfig& cfg) : cfg_(cfg) {}
  bool next(EmuFrame* f) override {
    if (cfg_.frames > 0 && k_ >= cfg_.frames) return false;
    f->words.assign(kEmuChrptFrameWords, 0);
    f->sync = 1;
    f->ten_bit = 1;
    f->kind = kKindCHRPT;
    auto& w = f->words;
    for (int i = 0; i < 6; ++i) w[static_cast<size_t>(i)] = kSync[i];
    // FengYun: the spacecraft address in bits 9-6 of word 6.
    w[kEmuNoaaIdWord] = static_cast<uint16_t>((cfg_.fy_addr & 0xF) << 6);
    put_time_code(w, frame_ms(cfg_, k_));
    for (int x = 0; x < kPixels; ++x) {
      const double t = emu_scene_temperature(k_, x);
      const double a = emu_scene_albedo(k_, x);
      // Infrared channels 3-5 fall linearly with temperature; the others
      // see the albedo.
      const int ir = clamp10(std::lround(1000 - 6.0 * (t - 180.0)));
      uint16_t* px = &w[static_cast<size_t>(kFyHdrWords + 10 * x)];
      for (int c = 1; c <= 10; ++c)
        px[c - 1] = static_cast<uint16_t>((c >= 3 && c <= 5) ? ir : visible_count(a, 1.0 - 0.05 * c));
    }
    ++k_;
    return true;
  }
  void rewind() override { k_ = 0; }

 private:
  EmuConfig cfg_;
  int64_t k_ = 0;
};

}  // namespace

double emu_scene_temperature(int64_t line, int pixel) {
  const bool cloud = (line % 600) >= 200 && (line % 600) < 400 && pixel >= 600 && pixel < 1400;
  if (cloud) return 215.0;
  return 320.0 - 120.0 * pixel / (kPixels - 1);
}

double emu_scene_albedo(int64_t line, int pixel) {
  const bool cloud = (line % 600) >= 200 && (line % 600) < 400 && pixel >= 600 && pixel < 1400;
  if (cloud) return 0.75;
  return 0.05 + 0.3 * pixel / (kPixels - 1);
}

EmuNoaaCal emu_noaa_calibration(int addr, int ch3a) {
  const Instrument& in = instrument(addr);
  EmuNoaaCal c;
  c.prt_count = prt_count_for(in);
  c.t_bb = mean_prt_temp(in, c.prt_count);
  for (int ch = 3; ch <= 5; ++ch) c.bb_count[ch] = channel_cal(in, ch - 3, c.t_bb).cbb;
  c.space_count[1] = c.space_count[2] = kEmuNoaaVisSpaceCount;
  c.space_count[3] = ch3a ? kEmuNoaaVisSpaceCount : kIrSpaceCount;
  if (ch3a) c.bb_count[3] = 0;
  c.space_count[4] = c.space_count[5] = kIrSpaceCount;
  return c;
}

int emu_noaa_ir_count(int addr, int ch, double kelvin) {
  if (ch < 3 || ch > 5) return 0;
  const Instrument& in = instrument(addr);
  const EmuNoaaCal c = emu_noaa_calibration(addr, 0);
  const ChannelCal cc = channel_cal(in, ch - 3, c.t_bb);
  const double rlin = linear_radiance(in, ch - 3, scene_radiance(in, ch - 3, kelvin));
  return clamp10(std::lround(kIrSpaceCount - cc.gain * (rlin - in.Ns[ch - 3])));
}

std::unique_ptr<EmuSource> make_noaa_source(const EmuConfig& cfg) {
  return std::make_unique<NoaaSource>(cfg);
}
std::unique_ptr<EmuSource> make_chrpt_source(const EmuConfig& cfg) {
  return std::make_unique<ChrptSource>(cfg);
}

}  // namespace kelo
