// NOAA AVHRR infrared counts to brightness temperatures, from the satellite's
// own calibration data in each HRPT line: the internal blackbody temperature
// from its four platinum resistance thermometers (PRT), the blackbody and
// space-view counts, the non-linearity correction and the inverse Planck
// function with the band correction.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/base/records.h"

namespace kelo {

// Calibration coefficients of one satellite. PRT polynomials are indexed by
// PRT number 1..4, channel coefficients by AVHRR channel 3..5.
struct CAL_COEFS {
  float d0[5] = {}, d1[5] = {}, d2[5] = {}, d3[5] = {}, d4[5] = {};
  float vc[6] = {};            // central wave number, cm^-1
  float A[6] = {}, B[6] = {};  // band correction: Teff = A + B * T
  float Ns[6] = {};            // radiance of space
  // Non-linearity: R = Rlin + b2 * Rlin^2 + b1 * Rlin + b0 (the KLM form).
  float b0[6] = {}, b1[6] = {}, b2[6] = {};
  float c1 = 0;  // first radiation constant, mW/(m^2 sr cm^-4)
  float c2 = 0;  // second radiation constant, cm K
};

// The NOAA number the satellite name carries: the number starting at its
// first decimal digit, 0 when it has none ("NOAA 16" -> 16).
int sat_number(const std::string& sat_name);

// The coefficients of the named satellite (NOAA-14, 15, 16, 18, 19). Any other
// satellite gets the NOAA-15 set, and `warning` (when not null) the text to
// show whoever runs the pass; it is left alone for a known satellite. Call
// once per picture pass.
CAL_COEFS load_cal(const std::string& sat_name, std::string* warning);

// What the calibration keeps from one line to the next within a pass: the
// PRT temperatures last read (PRT 1..4, for channels 3..5) and the blackbody
// radiance per channel (index 3..5). The picture pass owns one, so two
// pictures converted at the same time never borrow each other's PRT readings;
// a fresh one ({}) stands for a new picture.
struct NoaaTempState {
  int prtnum = 0;
  float Tprt[4][3] = {};
  float Nbb[6] = {};
};

// Converts the channel 3, 4 and 5 samples of lines[0] in place into
// brightness temperatures in tenths of a kelvin. Lines 0 .. 4 of the set are
// searched for PRT readings (a set of fewer than 5 lines is searched as far as
// it goes); PRTs missing in the window keep the readings of earlier calls
// with the same `state`.
// Nothing happens unless the file recorded the frame header words. A line
// whose space and blackbody counts are equal keeps its raw counts; a pixel
// with no defined temperature (radiance at or below zero) becomes 0.
void map_noaatemp(uint16_t** lines, int n, const CAL_COEFS* cal, const PIC_INFO* pic, const VIEW_INFO* view,
                  NoaaTempState* state);
// True when map_noaatemp turns channel ch (3-5) of this raw line into
// temperatures: the file recorded the header words and the line's space and
// blackbody counts differ.
bool noaa_line_calibrated(const uint16_t* line, const PIC_INFO* pic, int ch);

// The samples of a line a picture pass shows, sorted by the infrared channel
// they belong to (at[3] .. at[5]), made once per pass by temp_samples; the
// layout they were made for is kept so a changed picture converts nothing.
struct TempSamples {
  std::vector<int> at[6];
  int hdr = 0, nch = 0, width = 0;
};

// The samples among `wanted` (indices into a line buffer) that hold counts of
// channel 3, 4 or 5 of this picture.
TempSamples temp_samples(const PIC_INFO* pic, const std::vector<int>& wanted);

// map_noaatemp converting only the listed samples of lines[0]; the
// calibration state moves on exactly as with map_noaatemp.
void map_noaatemp_shown(uint16_t** lines, int n, const CAL_COEFS* cal, const PIC_INFO* pic,
                        const VIEW_INFO* view, NoaaTempState* state, const TempSamples& shown);

}  // namespace kelo
