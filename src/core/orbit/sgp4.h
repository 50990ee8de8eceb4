// SGP4/SDP4: the general-perturbations propagator that two-line element sets
// are made for (near-earth drag and zonal harmonics; deep-space luni-solar
// terms and the 12 h and 24 h resonances), with the WGS-72 constants the
// elements were fitted with. Positions and velocities come out in the
// true-equator, mean-equinox frame of the element epoch, in km and km/s.
#pragma once

#include <cstdint>

#include "core/base/records.h"

namespace kelo {

// Why there is no position: the codes of the published algorithm.
enum class Sgp4Error : int8_t {
  None = 0,
  MeanEccentricity = 1,       // mean eccentricity out of [-0.001, 1)
  MeanMotion = 2,             // mean motion not above zero
  PerturbedEccentricity = 3,  // eccentricity after the luni-solar terms out of [0, 1]
  SemiLatusRectum = 4,        // semi-latus rectum below zero
  Decayed = 6,                // orbit radius below one earth radius
};

// Mean elements of one set, in the units the propagator works in.
struct Sgp4Elements {
  double epoch_jd = 0;      // Julian date (UTC) of the epoch
  double bstar = 0;         // drag term, 1 / earth radii
  double inclination = 0;   // radians
  double raan = 0;          // radians
  double eccentricity = 0;  //
  double perigee = 0;       // argument of perigee, radians
  double anomaly = 0;       // mean anomaly, radians
  double motion = 0;        // mean motion, radians per minute (as in the set)
};

// Reads the fields of a two-line set (columns only: no checksum check, and
// anything after column 69 is ignored). 1, or 0 when a field is not a number.
int sgp4_parse_lines(const char* line1, const char* line2, Sgp4Elements* out);

// The elements of a picture's element record; the exact epoch and the drag
// term are used while the record's single-precision epoch still matches them
// (an edited epoch wins).
Sgp4Elements sgp4_elements_of(const KEPLER& k);

// Julian date of a UTC calendar time (year with century, month 1-12).
double julian_date(int year, int month, int day, int hour, int minute, double second);

// Everything the propagator derives once from a set.
struct Sgp4State {
  Sgp4Elements el;
  Sgp4Error init_error = Sgp4Error::None;
  bool deep = false;    // period of 225 minutes or more: SDP4
  bool simple = false;  // perigee below 220 km: drag terms of low order
  // near-earth
  double no = 0, ao = 0, con41 = 0, con42 = 0, cosio = 0, sinio = 0, cosio2 = 0, eta = 0;
  double cc1 = 0, cc4 = 0, cc5 = 0, d2 = 0, d3 = 0, d4 = 0, delmo = 0, sinmao = 0;
  double mdot = 0, argpdot = 0, nodedot = 0, nodecf = 0, omgcof = 0, xmcof = 0, xlcof = 0, aycof = 0;
  double t2cof = 0, t3cof = 0, t4cof = 0, t5cof = 0, x1mth2 = 0, x7thm1 = 0, gsto = 0;
  // deep space: long-period periodics
  double e3 = 0, ee2 = 0, se2 = 0, se3 = 0, sgh2 = 0, sgh3 = 0, sgh4 = 0, sh2 = 0, sh3 = 0;
  double si2 = 0, si3 = 0, sl2 = 0, sl3 = 0, sl4 = 0, xgh2 = 0, xgh3 = 0, xgh4 = 0, xh2 = 0, xh3 = 0;
  double xi2 = 0, xi3 = 0, xl2 = 0, xl3 = 0, xl4 = 0, zmol = 0, zmos = 0;
  // deep space: secular rates and resonance
  int irez = 0;  // 0 none, 1 one-day, 2 half-day
  double dedt = 0, didt = 0, dmdt = 0, dnodt = 0, domdt = 0;
  double d2201 = 0, d2211 = 0, d3210 = 0, d3222 = 0, d4410 = 0, d4422 = 0;
  double d5220 = 0, d5232 = 0, d5421 = 0, d5433 = 0, del1 = 0, del2 = 0, del3 = 0;
  double xfact = 0, xlamo = 0;
};

// Derives the state and checks the set at its epoch.
Sgp4Error sgp4_init(const Sgp4Elements& el, Sgp4State* s);

// Position (km) and velocity (km/s) at `minutes` after the epoch. On an
// error r and v are left untouched.
Sgp4Error sgp4_propagate(const Sgp4State& s, double minutes, double r[3], double v[3]);

}  // namespace kelo
