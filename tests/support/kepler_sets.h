// Element sets for the orbit, drawing, file and export tests: one builder from
// the values in the order of a two-line element set, and the NOAA-like sets
// several tests share.
#pragma once

#include <cstdint>

#include "core/base/records.h"

namespace kelo::test {

// Angles in radians, motion in revolutions a day, the epoch as years since
// 1900 and day of the year.
inline KEPLER kepler_set(int32_t epoch_year, float epoch_day, float inclination, float raan,
                         float eccentricity, float perigee, float anomaly, float motion, int32_t revnum,
                         float decay = 0.0f) {
  KEPLER k;
  k.epoch_year = epoch_year;
  k.epoch_day = epoch_day;
  k.decay = decay;
  k.inclination = inclination;
  k.raan = raan;
  k.eccentricity = eccentricity;
  k.perigee = perigee;
  k.anomaly = anomaly;
  k.motion = motion;
  k.revnum = revnum;
  return k;
}

// A NOAA-like orbit: epoch day 100.5 of 2024, 14.2 revolutions a day, the
// inclination (radians) as given.
inline KEPLER noaa_like_kepler(float inclination) {
  return kepler_set(124, 100.5f, inclination, 1.0f, 0.001f, 1.5f, 2.0f, 14.2f, 1000);
}

// NOAA 19 as published on 27 September 2020 (CelesTrak).
constexpr const char* kNoaa19Line1 = "1 33591U 09005A   20271.10459514  .00000036  00000-0  44902-4 0  9998";
constexpr const char* kNoaa19Line2 = "2 33591  99.1973 279.1029 0014510 147.6332 212.5731 14.12432861599745";

}  // namespace kelo::test
