// NOAA AVHRR infrared calibration.
#include "core/view/hrpt_calcs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/view/data_proc.h"

namespace kelo {

namespace {

// Frame header words of a NOAA HRPT minor frame (0-based word index).
constexpr int kPrtWord = 17;        // words 17, 18, 19: the current PRT, read three times
constexpr int kPrtRefLimit = 4;     // all three at or below 4: the reference line, no PRT
constexpr int kBackScanBase = 19;   // blackbody count i of channel ch: 19 + ch + 3i
constexpr int kBackScanStride = 3;  // channels 3, 4, 5 interleaved
constexpr int kSpaceBase = 51;      // space count i of channel ch: 51 + ch + 5i (words 52-101)
constexpr int kSpaceStride = 5;     // all five channels interleaved
constexpr int kCalSamples = 10;     // ten blackbody and ten space samples per line
constexpr int kCalWordsEnd = kSpaceBase + 5 + kSpaceStride * (kCalSamples - 1) + 1;  // 102 words needed
constexpr int kPrtWindow = 5;  // reference line and PRT 1..4 cycle over five lines
constexpr int kPrtCount = 4;
constexpr int kFirstIrChan = 3;
constexpr int kLastIrChan = 5;

constexpr float kC1 = 1.1910427e-05F;  // mW/(m^2 sr cm^-4)
constexpr float kC2 = 1.4387752F;      // cm K
constexpr double kE = 2.7182817F;      // e in single precision

struct PrtRow {
  float d0, d1, d2, d3, d4;
};
struct ChanRow {
  float vc, A, B, Ns, b0, b1, b2;
};
struct SatSet {
  int number;
  PrtRow prt[kPrtCount];
  ChanRow chan[3];  // channels 3, 4, 5
};

// b1 is in the form R = Rlin + b2 Rlin^2 + b1 Rlin + b0 for every set: where a
// satellite's tables give the factor of Rlin (1 + b1) it is stored less one.
constexpr SatSet kSets[] = {
    {14,
     {{276.597F, 0.051275F, 1.363e-06F, 0, 0},
      {276.597F, 0.051275F, 1.363e-06F, 0, 0},
      {276.597F, 0.051275F, 1.363e-06F, 0, 0},
      {276.597F, 0.051275F, 1.363e-06F, 0, 0}},
     {{2642.807F, 0, 1, 0.0069F, -0.0031F, 0.00359F, 0},
      {928.8284F, 0, 1, -4.05F, 3.72F, -0.07622F, 0.0003822F},
      {834.8066F, 0, 1, -2.29F, 2.0F, -0.03806F, 0.0001742F}}},
    {15,
     {{276.6016F, 0.051045F, 1.36328e-06F, 0, 0},
      {276.6253F, 0.050909F, 1.47266e-06F, 0, 0},
      {276.6741F, 0.050907F, 1.47656e-06F, 0, 0},
      {276.5926F, 0.050966F, 1.47656e-06F, 0, 0}},
     {{2695.974F, 1.621256F, 0.998015F, 0, 0, 0, 0},
      {925.4075F, 0.33781F, 0.998719F, -4.5F, 4.76F, -0.0932F, 0.0004524F},
      {839.8979F, 0.304558F, 0.999024F, -3.61F, 3.83F, -0.0659F, 0.0002811F}}},
    {16,
     {{276.355F, 0.05562F, -1.59e-05F, 2.486e-08F, -1.199e-11F},
      {276.142F, 0.05605F, -1.707e-05F, 2.595e-08F, -1.224e-11F},
      {275.996F, 0.05486F, -1.223e-05F, 1.862e-08F, -8.53e-12F},
      {276.132F, 0.05494F, -1.344e-05F, 2.112e-08F, -1.001e-11F}},
     {{2700.115F, 1.592459F, 0.998147F, 0, 0, 0, 0},
      {917.2289F, 0.33238F, 0.998522F, -2.467F, 2.96F, -0.05411F, 0.00024532F},
      {838.1255F, 0.674623F, 0.998363F, -2.009F, 2.25F, -0.03665F, 0.00014854F}}},
    {18,
     {{276.601F, 0.0509F, 1.657e-06F, 0, 0},
      {276.683F, 0.05101F, 1.482e-06F, 0, 0},
      {276.565F, 0.05117F, 1.313e-06F, 0, 0},
      {276.615F, 0.05103F, 1.484e-06F, 0, 0}},
     {{2659.7952F, 1.698704F, 0.99696F, 0, 0, 0, 0},
      {928.1460F, 0.436645F, 0.998607F, -5.53F, 5.82F, -0.11069F, 0.00052337F},
      {833.2532F, 0.253179F, 0.999057F, -2.22F, 2.67F, -0.04360F, 0.00017715F}}},
    {19,
     {{276.6067F, 0.051111F, 1.405783e-06F, 0, 0},
      {276.6119F, 0.05109F, 1.496037e-06F, 0, 0},
      {276.6311F, 0.051033F, 1.49699e-06F, 0, 0},
      {276.6268F, 0.051058F, 1.49311e-06F, 0, 0}},
     {{2670.0F, 1.67396F, 0.997364F, 0, 0, 0, 0},
      {928.9F, 0.53959F, 0.998534F, -5.49F, 5.70F, -0.11187F, 0.00054668F},
      {831.9F, 0.36064F, 0.998913F, -3.39F, 3.58F, -0.05991F, 0.00024985F}}},
};
constexpr int kFallbackSet = 1;  // NOAA-15

CAL_COEFS make_coefs(const SatSet& set) {
  CAL_COEFS c;
  for (int p = 1; p <= kPrtCount; ++p) {
    const PrtRow& row = set.prt[p - 1];
    c.d0[p] = row.d0;
    c.d1[p] = row.d1;
    c.d2[p] = row.d2;
    c.d3[p] = row.d3;
    c.d4[p] = row.d4;
  }
  for (int ch = kFirstIrChan; ch <= kLastIrChan; ++ch) {
    const ChanRow& row = set.chan[ch - kFirstIrChan];
    c.vc[ch] = row.vc;
    c.A[ch] = row.A;
    c.B[ch] = row.B;
    c.Ns[ch] = row.Ns;
    c.b0[ch] = row.b0;
    c.b1[ch] = row.b1;
    c.b2[ch] = row.b2;
  }
  c.c1 = kC1;
  c.c2 = kC2;
  return c;
}

static_assert(sizeof(NoaaTempState::Tprt) / sizeof(NoaaTempState::Tprt[0]) == kPrtCount, "one row a PRT");
static_assert(sizeof(NoaaTempState::Tprt[0]) / sizeof(float) == kLastIrChan - kFirstIrChan + 1,
              "one column an infrared channel");
static_assert(sizeof(NoaaTempState::Nbb) / sizeof(float) == kLastIrChan + 1, "indexed by channel");

bool is_prt_line(const uint16_t* line) {
  return line[kPrtWord] > kPrtRefLimit || line[kPrtWord + 1] > kPrtRefLimit ||
         line[kPrtWord + 2] > kPrtRefLimit;
}

// Tenths of a kelvin as stored in a 16-bit sample; an undefined temperature
// (no radiance, NaN) is stored as 0. Written with selects, not branches, so
// the conversion loop runs on whole vectors.
uint16_t tenths(float t) {
  const float v = 10.0F * t;
  const float held = v >= 0.0F ? std::min(v, 65535.0F) : 0.0F;
  return static_cast<uint16_t>(static_cast<int>(held));
}

}  // namespace

int sat_number(const std::string& sat_name) {
  size_t i = 0;
  while (i < sat_name.size() && (sat_name[i] < '0' || sat_name[i] > '9')) {
    ++i;
  }
  int number = 0;
  for (; i < sat_name.size() && sat_name[i] >= '0' && sat_name[i] <= '9'; ++i) {
    if (number > 100000) {
      break;  // no satellite carries such a number; keep it from overflowing
    }
    number = number * 10 + (sat_name[i] - '0');
  }
  return number;
}

CAL_COEFS load_cal(const std::string& sat_name, std::string* warning) {
  const int number = sat_number(sat_name);
  for (const SatSet& set : kSets) {
    if (set.number == number) {
      return make_coefs(set);
    }
  }
  if (warning != nullptr) {
    *warning = "No temperature mapping\n for " + sat_name + " available!\n Asume NOAA15...";
  }
  return make_coefs(kSets[kFallbackSet]);
}

namespace {

// Mean blackbody and space counts of channel ch in a line's header words.
void calibration_counts(const uint16_t* line, int ch, int* cbb, int* cs) {
  int sum_bb = 0;
  int sum_space = 0;
  for (int i = 0; i < kCalSamples; ++i) {
    sum_bb += line[kBackScanBase + ch + kBackScanStride * i];
    sum_space += line[kSpaceBase + ch + kSpaceStride * i];
  }
  *cbb = sum_bb / kCalSamples;
  *cs = sum_space / kCalSamples;
}

// One channel's earth counts to temperatures on one line. The line's
// calibration (space and blackbody counts, blackbody radiance) is fixed, so a
// temperature depends on the count alone.
struct CountConversion {
  float ns, gain;
  int cs;
  float b0, b1, b2;
  float c1v3, c2v;  // c1 vc^3 and c2 vc
  float A, B;

  // The linear radiance corrected for the non-linearity.
  float radiance(int ce) const {
    const float rlin = ns + static_cast<float>(cs - ce) * gain;
    return rlin + b2 * rlin * rlin + b1 * rlin + b0;
  }
  // ln(1 + c1 vc^3 / R) of the inverse Planck function, from the quotient
  // q = c1 vc^3 / R; a logarithm of 1 stands in where there is no
  // temperature to take (R of 0 or less), keeping the logarithm clear of
  // negative arguments.
  static double planck_log(float r, float q) {
    return std::log(1.0 + static_cast<double>(r > 0.0F ? q : 0.0F));
  }
  // Tenths of a kelvin from the logarithm; a radiance of 0 or less is colder
  // than the space view can represent: no temperature.
  uint16_t temperature(float r, double lg) const {
    const float te = static_cast<float>(c2v / lg);
    const uint16_t t = tenths((te - A) / B);
    return r > 0.0F ? t : uint16_t{0};
  }
};

// AVHRR earth counts are 10-bit; a line's samples are converted in blocks
// of as many.
constexpr int kCountValues = 1024;
constexpr size_t kBlock = kCountValues;

// The temperatures of counts in[0 .. n), n <= kBlock, in plain loops over
// arrays: radiances, the quotients, then the logarithms one by one, then the
// temperatures.
void convert_list(const uint16_t* in, size_t n, const CountConversion& cv, uint16_t* out) {
  std::array<float, kBlock> r, q;
  std::array<double, kBlock> lg;
  for (size_t k = 0; k < n; ++k) {
    r[k] = cv.radiance(in[k]);
    q[k] = cv.c1v3 / r[k];
  }
  for (size_t k = 0; k < n; ++k) lg[k] = CountConversion::planck_log(r[k], q[k]);
  for (size_t k = 0; k < n; ++k) out[k] = cv.temperature(r[k], lg[k]);
}

// The distinct counts among the flagged ones, in rising order; returns how
// many.
size_t distinct_counts(const std::array<uint8_t, kCountValues>& seen, uint16_t* counts) {
  size_t m = 0;
  for (int v = 0; v < kCountValues; ++v) {
    counts[m] = static_cast<uint16_t>(v);
    m += seen[static_cast<size_t>(v)];
  }
  return m;
}

// Converts the counts at line[word(i)], i < n, in place. Each count takes a
// logarithm, and a real scene repeats counts along a line (a field of cloud,
// the sea), so where at least a quarter of a block's samples repeat a count,
// each distinct count is converted once and the samples look theirs up. A
// word beyond 10 bits (not an AVHRR count) has its block converted sample by
// sample. The temperatures are the same either way.
template <class Word>
void convert_counts(uint16_t* line, size_t n, Word word, const CountConversion& cv) {
  std::array<uint16_t, kBlock> ce, out;
  for (size_t i0 = 0; i0 < n; i0 += kBlock) {
    const size_t len = std::min(kBlock, n - i0);
    // The counts, flagged by value; the flags count only when every word
    // is a 10-bit count.
    std::array<uint8_t, kCountValues> seen{};
    unsigned bits = 0;
    for (size_t k = 0; k < len; ++k) {
      ce[k] = line[word(i0 + k)];
      bits |= ce[k];
      seen[ce[k] % kCountValues] = 1;
    }
    size_t distinct = len;
    if (bits < kCountValues) {
      // The flags summed eight at a time: each byte of `sum` adds at most
      // kCountValues / 8 = 128 flags, so none carries into the next.
      uint64_t sum = 0;
      for (size_t v = 0; v < kCountValues; v += 8) {
        uint64_t w = 0;
        std::memcpy(&w, seen.data() + v, sizeof w);
        sum += w;
      }
      distinct = 0;
      for (int b = 0; b < 8; ++b) distinct += (sum >> (8 * b)) & 0xFF;
    }
    if (distinct * 4 > len * 3) {
      convert_list(ce.data(), len, cv, out.data());
      for (size_t k = 0; k < len; ++k) line[word(i0 + k)] = out[k];
      continue;
    }
    std::array<uint16_t, kCountValues> counts, temp;  // temp: by count
    const size_t m = distinct_counts(seen, counts.data());
    convert_list(counts.data(), m, cv, out.data());
    for (size_t k = 0; k < m; ++k) temp[counts[k]] = out[k];
    for (size_t k = 0; k < len; ++k) line[word(i0 + k)] = temp[ce[k]];
  }
}

// The conversion of map_noaatemp, over every sample of line 0 (shown null) or
// over the listed ones.
void convert_temps(uint16_t** lines, int n, const CAL_COEFS* cal, const PIC_INFO* pic, NoaaTempState* state,
                   const TempSamples* shown) {
  if (lines == nullptr || n <= 0 || lines[0] == nullptr || cal == nullptr || pic == nullptr ||
      state == nullptr) {
    return;
  }
  NoaaTempState& st = *state;
  if (!pic->chan_present[0]) {
    return;  // no frame header words recorded: samples stay raw counts
  }
  const int hdr = pic->frame.hdr_words;
  const int nch = pic->frame.n_channels;
  const int width = pic->width;
  if (hdr < kCalWordsEnd || nch <= 0 || width <= 0) {
    return;
  }
  const long long need = static_cast<long long>(hdr) + static_cast<long long>(width) * nch;
  if (need > static_cast<long long>(pic->frame.words_padded) * kLineBufFactor) {
    return;
  }
  const int window = n < kPrtWindow ? n : kPrtWindow;

  // Blackbody radiance from the PRT readings of the window.
  for (int ch = kFirstIrChan; ch <= kLastIrChan; ++ch) {
    const int c = ch - kFirstIrChan;
    st.prtnum = 0;
    for (int l = 0; l < window; ++l) {
      const uint16_t* line = lines[l];
      if (line == nullptr || !is_prt_line(line) || st.prtnum >= kPrtCount) {
        continue;
      }
      const float cnt = line[kPrtWord + c];
      const int p = st.prtnum + 1;
      const float n3 = cnt * cnt * cnt;
      st.Tprt[st.prtnum][c] =
          cal->d4[p] * n3 * cnt + cal->d3[p] * n3 + cal->d2[p] * cnt * cnt + cal->d1[p] * cnt + cal->d0[p];
      ++st.prtnum;
    }
    const float tbb = (st.Tprt[0][c] + st.Tprt[1][c] + st.Tprt[2][c] + st.Tprt[3][c]) / 4.0F;
    const float teff = cal->A[ch] + cal->B[ch] * tbb;
    const float vc = cal->vc[ch];
    // Before any PRT reading the blackbody stands at 0 K: it radiates nothing
    // (the limit of Planck's law, without dividing by zero).
    st.Nbb[ch] = !(teff > 0.0F)
                     ? 0.0F
                     : static_cast<float>(cal->c1 * vc * vc * vc /
                                          (std::pow(kE, static_cast<double>(cal->c2 * vc / teff)) - 1.0));
  }

  // Earth counts of line 0 to temperatures.
  uint16_t* line0 = lines[0];
  int place = 0;
  for (int ch = 1; ch <= kLastIrChan; ++ch) {
    if (!pic->chan_present[ch]) {
      continue;
    }
    ++place;
    if (ch < kFirstIrChan) {
      continue;  // the visible channels carry no temperature
    }
    int cbb = 0;
    int cs = 0;
    calibration_counts(line0, ch, &cbb, &cs);
    if (cs == cbb) {
      continue;  // no gain can be derived: the line keeps its raw counts
    }
    const float ns = cal->Ns[ch];
    const CountConversion cv{ns,
                             (st.Nbb[ch] - ns) / static_cast<float>(cs - cbb),
                             cs,
                             cal->b0[ch],
                             cal->b1[ch],
                             cal->b2[ch],
                             cal->c1 * cal->vc[ch] * cal->vc[ch] * cal->vc[ch],
                             cal->c2 * cal->vc[ch],
                             cal->A[ch],
                             cal->B[ch]};
    if (shown == nullptr) {
      const int first = hdr + place - 1;
      convert_counts(
          line0, static_cast<size_t>(width), [=](size_t x) { return first + nch * x; }, cv);
    } else {
      const std::vector<int>& at = shown->at[ch];
      convert_counts(
          line0, at.size(), [&](size_t i) { return static_cast<size_t>(at[i]); }, cv);
    }
  }
}

}  // namespace

bool noaa_line_calibrated(const uint16_t* line, const PIC_INFO* pic, int ch) {
  if (line == nullptr || pic == nullptr || !pic->chan_present[0] || ch < kFirstIrChan || ch > kLastIrChan ||
      !pic->chan_present[ch] || pic->frame.hdr_words < kCalWordsEnd)
    return false;
  int cbb = 0;
  int cs = 0;
  calibration_counts(line, ch, &cbb, &cs);
  return cs != cbb;
}

void map_noaatemp(uint16_t** lines, int n, const CAL_COEFS* cal, const PIC_INFO* pic, const VIEW_INFO* view,
                  NoaaTempState* state) {
  (void)view;
  convert_temps(lines, n, cal, pic, state, nullptr);
}

void map_noaatemp_shown(uint16_t** lines, int n, const CAL_COEFS* cal, const PIC_INFO* pic,
                        const VIEW_INFO* view, NoaaTempState* state, const TempSamples& shown) {
  (void)view;
  if (pic == nullptr || shown.hdr != pic->frame.hdr_words || shown.nch != pic->frame.n_channels ||
      shown.width != pic->width) {
    return;
  }
  convert_temps(lines, n, cal, pic, state, &shown);
}

TempSamples temp_samples(const PIC_INFO* pic, const std::vector<int>& wanted) {
  TempSamples out;
  if (pic == nullptr) {
    return out;
  }
  out.hdr = pic->frame.hdr_words;
  out.nch = pic->frame.n_channels;
  out.width = pic->width;
  if (out.hdr < 0 || out.nch <= 0 || out.width <= 0) {
    return out;
  }
  // Channel ch is converted at samples hdr + place - 1 + nch * x, place
  // counting the present channels 1 .. 5, as the conversion does.
  int place = 0;
  for (int ch = 1; ch <= kLastIrChan; ++ch) {
    if (!pic->chan_present[ch]) continue;
    ++place;
    if (ch < kFirstIrChan) continue;
    for (const int j : wanted) {
      const long long q = static_cast<long long>(j) - out.hdr - (place - 1);
      if (q >= 0 && q % out.nch == 0 && q / out.nch < out.width) out.at[ch].push_back(j);
    }
  }
  for (std::vector<int>& v : out.at) {
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
  }
  return out;
}

}  // namespace kelo
