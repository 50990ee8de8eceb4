// SGP4/SDP4 written from the published algorithm: the near-earth model with
// drag (low-order terms below 220 km perigee), and for periods of 225 minutes
// and more the deep-space model with solar and lunar long-period terms, their
// secular rates and the numerically integrated one-day and half-day
// resonances. Constants are WGS-72, as the element sets are fitted with.
#include "core/orbit/sgp4.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/orbit/sidereal.h"

namespace kelo {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;
constexpr double kDeg = kPi / 180.0;
constexpr double kX2o3 = 2.0 / 3.0;
constexpr double kMinPerDay = 1440.0;
constexpr double kJd1950 = 2433281.5;  // 1949 December 31, 0 h: the deep-space day count's origin

// WGS-72
constexpr double kRe = 6378.135;  // km
constexpr double kMu = 398600.8;  // km^3/s^2
constexpr double kJ2 = 0.001082616;
constexpr double kJ3 = -0.00000253881;
constexpr double kJ4 = -0.00000165597;
constexpr double kJ3oJ2 = kJ3 / kJ2;
// sqrt(GM) in earth radii^1.5 per minute, 60 / sqrt(kRe^3 / kMu), and one
// earth radius per minute in km/s, kRe * kXke / 60
constexpr double kXke = 0.07436691613317342;
constexpr double kVkms = 7.905370510517634;

constexpr double kSmallCos = 1.5e-12;  // guard of 1 + cos(i) for retrograde equatorial orbits

// Luni-solar constants
constexpr double kZes = 0.01675, kZel = 0.05490;  // solar and lunar eccentricity
constexpr double kZns = 1.19459e-5, kZnl = 1.5835218e-4;
constexpr double kC1ss = 2.9864797e-6, kC1l = 4.7968065e-7;
constexpr double kZsinis = 0.39785416, kZcosis = 0.91744867;
constexpr double kZcosgs = 0.1945905, kZsings = -0.98088458;
constexpr double kRptim = 4.37526908801129966e-3;  // earth rotation, radians per minute

double field(const char* line, size_t len, int from, int to) {
  // columns counted from 1, inclusive
  if (len < static_cast<size_t>(to)) return NAN;
  std::string s(line + from - 1, static_cast<size_t>(to - from + 1));
  if (s.find_first_not_of(' ') == std::string::npos) return 0.0;
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  while (end != nullptr && *end == ' ') ++end;
  if (end == nullptr || *end != '\0') return NAN;
  return v;
}

// "+12345-3" style: mantissa with implied leading decimal point, exponent.
double implied(const char* line, size_t len, int from, int to) {
  if (len < static_cast<size_t>(to)) return NAN;
  std::string s(line + from - 1, static_cast<size_t>(to - from + 1));
  if (s.find_first_not_of(' ') == std::string::npos) return 0.0;
  const size_t first = s.find_first_not_of(' ');
  double sign = 1.0;
  size_t i = first;
  if (s[i] == '-' || s[i] == '+') {
    if (s[i] == '-') sign = -1.0;
    ++i;
  }
  const size_t exp_at = s.find_first_of("+-", i);
  if (exp_at == std::string::npos) return NAN;
  const std::string mant = s.substr(i, exp_at - i);
  const std::string ex = s.substr(exp_at);
  if (mant.empty() || mant.find_first_not_of("0123456789") != std::string::npos) return NAN;
  if (ex.size() < 2 || ex.find_first_not_of("0123456789", 1) != std::string::npos) return NAN;
  const double m = std::strtod(("0." + mant).c_str(), nullptr);
  return sign * m * std::pow(10.0, std::strtod(ex.c_str(), nullptr));
}

double wrap2pi(double a) { return std::fmod(a, kTwoPi); }

// Solar and lunar terms shared by the initialisation (dscom).
struct DeepCommon {
  double snodm, cnodm, sinim, cosim, sinomm, cosomm, day, emsq, rtemsq;
  double s1, s2, s3, s4, s5, ss1, ss2, ss3, ss4, ss5;
  double sz1, sz3, sz11, sz13, sz21, sz23, sz31, sz33;
  double z1, z3, z11, z13, z21, z23, z31, z33;
};

void deep_common(double epoch, double ep, double argpp, double tc, double inclp, double nodep, double np,
                 DeepCommon* c, Sgp4State* s) {
  c->snodm = std::sin(nodep);
  c->cnodm = std::cos(nodep);
  c->sinomm = std::sin(argpp);
  c->cosomm = std::cos(argpp);
  c->sinim = std::sin(inclp);
  c->cosim = std::cos(inclp);
  c->emsq = ep * ep;
  const double betasq = 1.0 - c->emsq;
  c->rtemsq = std::sqrt(betasq);

  c->day = epoch + 18261.5 + tc / kMinPerDay;
  const double xnodce = std::fmod(4.5236020 - 9.2422029e-4 * c->day, kTwoPi);
  const double stem = std::sin(xnodce);
  const double ctem = std::cos(xnodce);
  const double zcosil = 0.91375164 - 0.03568096 * ctem;
  const double zsinil = std::sqrt(1.0 - zcosil * zcosil);
  const double zsinhl = 0.089683511 * stem / zsinil;
  const double zcoshl = std::sqrt(1.0 - zsinhl * zsinhl);
  const double gam = 5.8351514 + 0.0019443680 * c->day;
  double zx = 0.39785416 * stem / zsinil;
  const double zy = zcoshl * ctem + 0.91744867 * zsinhl * stem;
  zx = std::atan2(zx, zy);
  zx = gam + zx - xnodce;
  const double zcosgl = std::cos(zx);
  const double zsingl = std::sin(zx);

  // first the sun, then the moon
  double zcosg = kZcosgs, zsing = kZsings, zcosi = kZcosis, zsini = kZsinis;
  double zcosh = c->cnodm, zsinh = c->snodm, cc = kC1ss;
  const double xnoi = 1.0 / np;
  for (int body = 0; body < 2; ++body) {
    const double a1 = zcosg * zcosh + zsing * zcosi * zsinh;
    const double a3 = -zsing * zcosh + zcosg * zcosi * zsinh;
    const double a7 = -zcosg * zsinh + zsing * zcosi * zcosh;
    const double a8 = zsing * zsini;
    const double a9 = zsing * zsinh + zcosg * zcosi * zcosh;
    const double a10 = zcosg * zsini;
    const double a2 = c->cosim * a7 + c->sinim * a8;
    const double a4 = c->cosim * a9 + c->sinim * a10;
    const double a5 = -c->sinim * a7 + c->cosim * a8;
    const double a6 = -c->sinim * a9 + c->cosim * a10;
    const double x1 = a1 * c->cosomm + a2 * c->sinomm;
    const double x2 = a3 * c->cosomm + a4 * c->sinomm;
    const double x3 = -a1 * c->sinomm + a2 * c->cosomm;
    const double x4 = -a3 * c->sinomm + a4 * c->cosomm;
    const double x5 = a5 * c->sinomm;
    const double x6 = a6 * c->sinomm;
    const double x7 = a5 * c->cosomm;
    const double x8 = a6 * c->cosomm;
    const double z31 = 12.0 * x1 * x1 - 3.0 * x3 * x3;
    const double z32 = 24.0 * x1 * x2 - 6.0 * x3 * x4;
    const double z33 = 12.0 * x2 * x2 - 3.0 * x4 * x4;
    double z1 = 3.0 * (a1 * a1 + a2 * a2) + z31 * c->emsq;
    double z2 = 6.0 * (a1 * a3 + a2 * a4) + z32 * c->emsq;
    double z3 = 3.0 * (a3 * a3 + a4 * a4) + z33 * c->emsq;
    const double z11 = -6.0 * a1 * a5 + c->emsq * (-24.0 * x1 * x7 - 6.0 * x3 * x5);
    const double z12 =
        -6.0 * (a1 * a6 + a3 * a5) + c->emsq * (-24.0 * (x2 * x7 + x1 * x8) - 6.0 * (x3 * x6 + x4 * x5));
    const double z13 = -6.0 * a3 * a6 + c->emsq * (-24.0 * x2 * x8 - 6.0 * x4 * x6);
    const double z21 = 6.0 * a2 * a5 + c->emsq * (24.0 * x1 * x5 - 6.0 * x3 * x7);
    const double z22 =
        6.0 * (a4 * a5 + a2 * a6) + c->emsq * (24.0 * (x2 * x5 + x1 * x6) - 6.0 * (x4 * x7 + x3 * x8));
    const double z23 = 6.0 * a4 * a6 + c->emsq * (24.0 * x2 * x6 - 6.0 * x4 * x8);
    z1 = z1 + z1 + betasq * z31;
    z2 = z2 + z2 + betasq * z32;
    z3 = z3 + z3 + betasq * z33;
    const double s3 = cc * xnoi;
    const double s2 = -0.5 * s3 / c->rtemsq;
    const double s4 = s3 * c->rtemsq;
    const double s1 = -15.0 * ep * s4;
    const double s5 = x1 * x3 + x2 * x4;
    const double s6 = x2 * x3 + x1 * x4;
    const double s7 = x2 * x4 - x1 * x3;
    if (body == 0) {
      c->ss1 = s1;
      c->ss2 = s2;
      c->ss3 = s3;
      c->ss4 = s4;
      c->ss5 = s5;
      c->sz1 = z1;
      c->sz3 = z3;
      c->sz11 = z11;
      c->sz13 = z13;
      c->sz21 = z21;
      c->sz23 = z23;
      c->sz31 = z31;
      c->sz33 = z33;
      s->se2 = 2.0 * s1 * s6;
      s->se3 = 2.0 * s1 * s7;
      s->si2 = 2.0 * s2 * z12;
      s->si3 = 2.0 * s2 * (z13 - z11);
      s->sl2 = -2.0 * s3 * z2;
      s->sl3 = -2.0 * s3 * (z3 - z1);
      s->sl4 = -2.0 * s3 * (-21.0 - 9.0 * c->emsq) * kZes;
      s->sgh2 = 2.0 * s4 * z32;
      s->sgh3 = 2.0 * s4 * (z33 - z31);
      s->sgh4 = -18.0 * s4 * kZes;
      s->sh2 = -2.0 * s2 * z22;
      s->sh3 = -2.0 * s2 * (z23 - z21);
      zcosg = zcosgl;
      zsing = zsingl;
      zcosi = zcosil;
      zsini = zsinil;
      zcosh = zcoshl * c->cnodm + zsinhl * c->snodm;
      zsinh = c->snodm * zcoshl - c->cnodm * zsinhl;
      cc = kC1l;
    } else {
      c->s1 = s1;
      c->s2 = s2;
      c->s3 = s3;
      c->s4 = s4;
      c->s5 = s5;
      c->z1 = z1;
      c->z3 = z3;
      c->z11 = z11;
      c->z13 = z13;
      c->z21 = z21;
      c->z23 = z23;
      c->z31 = z31;
      c->z33 = z33;
      s->ee2 = 2.0 * s1 * s6;
      s->e3 = 2.0 * s1 * s7;
      s->xi2 = 2.0 * s2 * z12;
      s->xi3 = 2.0 * s2 * (z13 - z11);
      s->xl2 = -2.0 * s3 * z2;
      s->xl3 = -2.0 * s3 * (z3 - z1);
      s->xl4 = -2.0 * s3 * (-21.0 - 9.0 * c->emsq) * kZel;
      s->xgh2 = 2.0 * s4 * z32;
      s->xgh3 = 2.0 * s4 * (z33 - z31);
      s->xgh4 = -18.0 * s4 * kZel;
      s->xh2 = -2.0 * s2 * z22;
      s->xh3 = -2.0 * s2 * (z23 - z21);
    }
  }
  s->zmol = std::fmod(4.7199672 + 0.22997150 * c->day - gam, kTwoPi);
  s->zmos = std::fmod(6.2565837 + 0.017201977 * c->day, kTwoPi);
}

// Long-period luni-solar periodics (dpper), applied to the osculating set.
void deep_periodics(const Sgp4State& s, double t, double* ep, double* inclp, double* nodep, double* argpp,
                    double* mp) {
  double zm = s.zmos + kZns * t;
  double zf = zm + 2.0 * kZes * std::sin(zm);
  double sinzf = std::sin(zf);
  double f2 = 0.5 * sinzf * sinzf - 0.25;
  double f3 = -0.5 * sinzf * std::cos(zf);
  const double ses = s.se2 * f2 + s.se3 * f3;
  const double sis = s.si2 * f2 + s.si3 * f3;
  const double sls = s.sl2 * f2 + s.sl3 * f3 + s.sl4 * sinzf;
  const double sghs = s.sgh2 * f2 + s.sgh3 * f3 + s.sgh4 * sinzf;
  const double shs = s.sh2 * f2 + s.sh3 * f3;
  zm = s.zmol + kZnl * t;
  zf = zm + 2.0 * kZel * std::sin(zm);
  sinzf = std::sin(zf);
  f2 = 0.5 * sinzf * sinzf - 0.25;
  f3 = -0.5 * sinzf * std::cos(zf);
  const double sel = s.ee2 * f2 + s.e3 * f3;
  const double sil = s.xi2 * f2 + s.xi3 * f3;
  const double sll = s.xl2 * f2 + s.xl3 * f3 + s.xl4 * sinzf;
  const double sghl = s.xgh2 * f2 + s.xgh3 * f3 + s.xgh4 * sinzf;
  const double shll = s.xh2 * f2 + s.xh3 * f3;
  const double pe = ses + sel;
  const double pinc = sis + sil;
  const double pl = sls + sll;
  double pgh = sghs + sghl;
  double ph = shs + shll;

  *inclp += pinc;
  *ep += pe;
  const double sinip = std::sin(*inclp);
  const double cosip = std::cos(*inclp);
  if (*inclp >= 0.2) {
    ph /= sinip;
    pgh -= cosip * ph;
    *argpp += pgh;
    *nodep += ph;
    *mp += pl;
  } else {
    // Lyddane's form for low inclinations
    const double sinop = std::sin(*nodep);
    const double cosop = std::cos(*nodep);
    double alfdp = sinip * sinop;
    double betdp = sinip * cosop;
    alfdp += ph * cosop + pinc * cosip * sinop;
    betdp += -ph * sinop + pinc * cosip * cosop;
    *nodep = std::fmod(*nodep, kTwoPi);
    double xls = *mp + *argpp + cosip * *nodep;
    xls += pl + pgh - pinc * *nodep * sinip;
    const double xnoh = *nodep;
    *nodep = std::atan2(alfdp, betdp);
    if (std::fabs(xnoh - *nodep) > kPi) *nodep += *nodep < xnoh ? kTwoPi : -kTwoPi;
    *mp += pl;
    *argpp = xls - *mp - cosip * *nodep;
  }
}

// Secular luni-solar rates and the resonance constants (dsinit).
void deep_init(const DeepCommon& c, double eccsq, Sgp4State* s) {
  const double inclm = s->el.inclination;
  const double nm = s->no;
  const double em = s->el.eccentricity;
  s->irez = 0;
  if (nm < 0.0052359877 && nm > 0.0034906585) s->irez = 1;
  if (nm >= 8.26e-3 && nm <= 9.24e-3 && em >= 0.5) s->irez = 2;

  const bool near_equator = inclm < 5.2359877e-2 || inclm > kPi - 5.2359877e-2;
  const double ses = c.ss1 * kZns * c.ss5;
  const double sis = c.ss2 * kZns * (c.sz11 + c.sz13);
  const double sls = -kZns * c.ss3 * (c.sz1 + c.sz3 - 14.0 - 6.0 * c.emsq);
  const double sghs = c.ss4 * kZns * (c.sz31 + c.sz33 - 6.0);
  double shs = -kZns * c.ss2 * (c.sz21 + c.sz23);
  if (near_equator) shs = 0.0;
  if (c.sinim != 0.0) shs /= c.sinim;
  const double sgs = sghs - c.cosim * shs;

  s->dedt = ses + c.s1 * kZnl * c.s5;
  s->didt = sis + c.s2 * kZnl * (c.z11 + c.z13);
  s->dmdt = sls - kZnl * c.s3 * (c.z1 + c.z3 - 14.0 - 6.0 * c.emsq);
  const double sghl = c.s4 * kZnl * (c.z31 + c.z33 - 6.0);
  double shll = -kZnl * c.s2 * (c.z21 + c.z23);
  if (near_equator) shll = 0.0;
  s->domdt = sgs + sghl;
  s->dnodt = shs;
  if (c.sinim != 0.0) {
    s->domdt -= c.cosim / c.sinim * shll;
    s->dnodt += shll / c.sinim;
  }
  if (s->irez == 0) return;

  const double theta = std::fmod(s->gsto, kTwoPi);
  const double aonv = std::pow(nm / kXke, kX2o3);
  const double cosim = c.cosim, sinim = c.sinim;
  if (s->irez == 2) {
    // half-day resonance (eccentric 12 h orbits)
    const double cosisq = cosim * cosim;
    const double e = s->el.eccentricity;
    const double esq = eccsq;
    const double eoc = e * esq;
    const double g201 = -0.306 - (e - 0.64) * 0.440;
    double g211, g310, g322, g410, g422, g520, g533, g521, g532;
    if (e <= 0.65) {
      g211 = 3.616 - 13.2470 * e + 16.2900 * esq;
      g310 = -19.302 + 117.3900 * e - 228.4190 * esq + 156.5910 * eoc;
      g322 = -18.9068 + 109.7927 * e - 214.6334 * esq + 146.5816 * eoc;
      g410 = -41.122 + 242.6940 * e - 471.0940 * esq + 313.9530 * eoc;
      g422 = -146.407 + 841.8800 * e - 1629.014 * esq + 1083.4350 * eoc;
      g520 = -532.114 + 3017.977 * e - 5740.032 * esq + 3708.2760 * eoc;
    } else {
      g211 = -72.099 + 331.819 * e - 508.738 * esq + 266.724 * eoc;
      g310 = -346.844 + 1582.851 * e - 2415.925 * esq + 1246.113 * eoc;
      g322 = -342.585 + 1554.908 * e - 2366.899 * esq + 1215.972 * eoc;
      g410 = -1052.797 + 4758.686 * e - 7193.992 * esq + 3651.957 * eoc;
      g422 = -3581.690 + 16178.110 * e - 24462.770 * esq + 12422.520 * eoc;
      g520 = e > 0.715 ? -5149.66 + 29936.92 * e - 54087.36 * esq + 31324.56 * eoc
                       : 1464.74 - 4664.75 * e + 3763.64 * esq;
    }
    if (e < 0.7) {
      g533 = -919.22770 + 4988.6100 * e - 9064.7700 * esq + 5542.21 * eoc;
      g521 = -822.71072 + 4568.6173 * e - 8491.4146 * esq + 5337.524 * eoc;
      g532 = -853.66600 + 4690.2500 * e - 8624.7700 * esq + 5341.4 * eoc;
    } else {
      g533 = -37995.780 + 161616.52 * e - 229838.20 * esq + 109377.94 * eoc;
      g521 = -51752.104 + 218913.95 * e - 309468.16 * esq + 146349.42 * eoc;
      g532 = -40023.880 + 170470.89 * e - 242699.48 * esq + 115605.82 * eoc;
    }
    const double sini2 = sinim * sinim;
    const double f220 = 0.75 * (1.0 + 2.0 * cosim + cosisq);
    const double f221 = 1.5 * sini2;
    const double f321 = 1.875 * sinim * (1.0 - 2.0 * cosim - 3.0 * cosisq);
    const double f322 = -1.875 * sinim * (1.0 + 2.0 * cosim - 3.0 * cosisq);
    const double f441 = 35.0 * sini2 * f220;
    const double f442 = 39.3750 * sini2 * sini2;
    const double f522 =
        9.84375 * sinim *
        (sini2 * (1.0 - 2.0 * cosim - 5.0 * cosisq) + 0.33333333 * (-2.0 + 4.0 * cosim + 6.0 * cosisq));
    const double f523 = sinim * (4.92187512 * sini2 * (-2.0 - 4.0 * cosim + 10.0 * cosisq) +
                                 6.56250012 * (1.0 + 2.0 * cosim - 3.0 * cosisq));
    const double f542 =
        29.53125 * sinim * (2.0 - 8.0 * cosim + cosisq * (-12.0 + 8.0 * cosim + 10.0 * cosisq));
    const double f543 =
        29.53125 * sinim * (-2.0 - 8.0 * cosim + cosisq * (12.0 + 8.0 * cosim - 10.0 * cosisq));
    constexpr double kRoot22 = 1.7891679e-6, kRoot32 = 3.7393792e-7, kRoot44 = 7.3636953e-9;
    constexpr double kRoot52 = 1.1428639e-7, kRoot54 = 2.1765803e-9;
    const double xno2 = nm * nm;
    const double ainv2 = aonv * aonv;
    double temp1 = 3.0 * xno2 * ainv2;
    double temp = temp1 * kRoot22;
    s->d2201 = temp * f220 * g201;
    s->d2211 = temp * f221 * g211;
    temp1 *= aonv;
    temp = temp1 * kRoot32;
    s->d3210 = temp * f321 * g310;
    s->d3222 = temp * f322 * g322;
    temp1 *= aonv;
    temp = 2.0 * temp1 * kRoot44;
    s->d4410 = temp * f441 * g410;
    s->d4422 = temp * f442 * g422;
    temp1 *= aonv;
    temp = temp1 * kRoot52;
    s->d5220 = temp * f522 * g520;
    s->d5232 = temp * f523 * g532;
    temp = 2.0 * temp1 * kRoot54;
    s->d5421 = temp * f542 * g521;
    s->d5433 = temp * f543 * g533;
    s->xlamo = std::fmod(s->el.anomaly + s->el.raan + s->el.raan - theta - theta, kTwoPi);
    s->xfact = s->mdot + s->dmdt + 2.0 * (s->nodedot + s->dnodt - kRptim) - s->no;
  } else {
    // one-day resonance (geosynchronous)
    constexpr double kQ22 = 1.7891679e-6, kQ31 = 2.1460748e-6, kQ33 = 2.2123015e-7;
    const double g200 = 1.0 + c.emsq * (-2.5 + 0.8125 * c.emsq);
    const double g310 = 1.0 + 2.0 * c.emsq;
    const double g300 = 1.0 + c.emsq * (-6.0 + 6.60937 * c.emsq);
    const double f220 = 0.75 * (1.0 + cosim) * (1.0 + cosim);
    const double f311 = 0.9375 * sinim * sinim * (1.0 + 3.0 * cosim) - 0.75 * (1.0 + cosim);
    double f330 = 1.0 + cosim;
    f330 = 1.875 * f330 * f330 * f330;
    const double d1 = 3.0 * nm * nm * aonv * aonv;
    s->del2 = 2.0 * d1 * f220 * g200 * kQ22;
    s->del3 = 3.0 * d1 * f330 * g300 * kQ33 * aonv;
    s->del1 = d1 * f311 * g310 * kQ31 * aonv;
    s->xlamo = std::fmod(s->el.anomaly + s->el.raan + s->el.perigee - theta, kTwoPi);
    s->xfact = s->mdot + (s->argpdot + s->nodedot) - kRptim + s->dmdt + s->domdt + s->dnodt - s->no;
  }
}

// Secular luni-solar effects and the resonance integration (dspace), from
// the epoch each time: the integrator's fixed 720-minute steps make this the
// same result as continuing from an earlier call.
void deep_secular(const Sgp4State& s, double t, double* em, double* argpm, double* inclm, double* mm,
                  double* nodem, double* nm) {
  *em += s.dedt * t;
  *inclm += s.didt * t;
  *argpm += s.domdt * t;
  *nodem += s.dnodt * t;
  *mm += s.dmdt * t;
  if (s.irez == 0) return;

  constexpr double kFasx2 = 0.13130908, kFasx4 = 2.8843198, kFasx6 = 0.37448087;
  constexpr double kG22 = 5.7686396, kG32 = 0.95240898, kG44 = 1.8014998, kG52 = 1.0508330, kG54 = 4.4108898;
  constexpr double kStep = 720.0, kStep2 = 259200.0;
  const double theta = std::fmod(s.gsto + t * kRptim, kTwoPi);
  double atime = 0.0;
  double xni = s.no;
  double xli = s.xlamo;
  const double delt = t > 0.0 ? kStep : -kStep;
  double xndt = 0, xldot = 0, xnddt = 0, ft = 0;
  for (;;) {
    if (s.irez != 2) {
      xndt = s.del1 * std::sin(xli - kFasx2) + s.del2 * std::sin(2.0 * (xli - kFasx4)) +
             s.del3 * std::sin(3.0 * (xli - kFasx6));
      xldot = xni + s.xfact;
      xnddt = s.del1 * std::cos(xli - kFasx2) + 2.0 * s.del2 * std::cos(2.0 * (xli - kFasx4)) +
              3.0 * s.del3 * std::cos(3.0 * (xli - kFasx6));
      xnddt *= xldot;
    } else {
      const double xomi = s.el.perigee + s.argpdot * atime;
      const double x2omi = xomi + xomi;
      const double x2li = xli + xli;
      xndt = s.d2201 * std::sin(x2omi + xli - kG22) + s.d2211 * std::sin(xli - kG22) +
             s.d3210 * std::sin(xomi + xli - kG32) + s.d3222 * std::sin(-xomi + xli - kG32) +
             s.d4410 * std::sin(x2omi + x2li - kG44) + s.d4422 * std::sin(x2li - kG44) +
             s.d5220 * std::sin(xomi + xli - kG52) + s.d5232 * std::sin(-xomi + xli - kG52) +
             s.d5421 * std::sin(xomi + x2li - kG54) + s.d5433 * std::sin(-xomi + x2li - kG54);
      xldot = xni + s.xfact;
      xnddt = s.d2201 * std::cos(x2omi + xli - kG22) + s.d2211 * std::cos(xli - kG22) +
              s.d3210 * std::cos(xomi + xli - kG32) + s.d3222 * std::cos(-xomi + xli - kG32) +
              s.d5220 * std::cos(xomi + xli - kG52) + s.d5232 * std::cos(-xomi + xli - kG52) +
              2.0 * (s.d4410 * std::cos(x2omi + x2li - kG44) + s.d4422 * std::cos(x2li - kG44) +
                     s.d5421 * std::cos(xomi + x2li - kG54) + s.d5433 * std::cos(-xomi + x2li - kG54));
      xnddt *= xldot;
    }
    if (std::fabs(t - atime) < kStep) {
      ft = t - atime;
      break;
    }
    xli += xldot * delt + xndt * kStep2;
    xni += xndt * delt + xnddt * kStep2;
    atime += delt;
  }
  *nm = xni + xndt * ft + xnddt * ft * ft * 0.5;
  const double xl = xli + xldot * ft + xndt * ft * ft * 0.5;
  if (s.irez != 1) {
    *mm = xl - 2.0 * *nodem + 2.0 * theta;
  } else {
    *mm = xl - *nodem - *argpm + theta;
  }
}

}  // namespace

double julian_date(int year, int month, int day, int hour, int minute, double second) {
  return 367.0 * year - std::floor(7.0 * (year + std::floor((month + 9) / 12.0)) * 0.25) +
         std::floor(275.0 * month / 9.0) + day + 1721013.5 + ((second / 60.0 + minute) / 60.0 + hour) / 24.0;
}

int sgp4_parse_lines(const char* line1, const char* line2, Sgp4Elements* out) {
  if (line1 == nullptr || line2 == nullptr || out == nullptr) return 0;
  const size_t n1 = std::strlen(line1);
  const size_t n2 = std::strlen(line2);
  const double yy = field(line1, n1, 19, 20);
  const double day = field(line1, n1, 21, 32);
  const double bstar = implied(line1, n1, 54, 61);
  const double incl = field(line2, n2, 9, 16);
  const double raan = field(line2, n2, 18, 25);
  const double ecc = field(line2, n2, 27, 33);
  const double argp = field(line2, n2, 35, 42);
  const double mo = field(line2, n2, 44, 51);
  const double motion = field(line2, n2, 53, 63);
  for (double v : {yy, day, bstar, incl, raan, ecc, argp, mo, motion})
    if (!std::isfinite(v)) return 0;
  // two-digit years: 57-99 are 1957-1999, the rest 2000-2056
  const int year = static_cast<int>(yy) < 57 ? 2000 + static_cast<int>(yy) : 1900 + static_cast<int>(yy);
  Sgp4Elements e;
  e.epoch_jd = julian_date(year, 1, 1, 0, 0, 0.0) + (day - 1.0);
  e.bstar = bstar;
  e.inclination = incl * kDeg;
  e.raan = raan * kDeg;
  e.eccentricity = ecc * 1e-7;
  e.perigee = argp * kDeg;
  e.anomaly = mo * kDeg;
  e.motion = motion * kTwoPi / kMinPerDay;
  *out = e;
  return 1;
}

Sgp4Elements sgp4_elements_of(const KEPLER& k) {
  Sgp4Elements e;
  const bool exact = k.epoch_day_exact != 0.0 && static_cast<float>(k.epoch_day_exact) == k.epoch_day;
  const double day = exact ? k.epoch_day_exact : static_cast<double>(k.epoch_day);
  e.epoch_jd = julian_date(1900 + k.epoch_year, 1, 1, 0, 0, 0.0) + (day - 1.0);
  e.bstar = exact ? k.bstar : 0.0;
  // The record's radians were made with the station's 3.1415926 for pi.
  constexpr double kStationRad = kPi / 3.1415926;
  e.inclination = k.inclination * kStationRad;
  e.raan = k.raan * kStationRad;
  e.eccentricity = k.eccentricity;
  e.perigee = k.perigee * kStationRad;
  e.anomaly = k.anomaly * kStationRad;
  e.motion = static_cast<double>(k.motion) * kTwoPi / kMinPerDay;
  return e;
}

Sgp4Error sgp4_init(const Sgp4Elements& el, Sgp4State* s) {
  *s = Sgp4State{};
  s->el = el;
  const double ecco = el.eccentricity;
  const double inclo = el.inclination;
  const double epoch = el.epoch_jd - kJd1950;

  // Recover the original mean motion and semi-major axis from the set's
  // (Kozai) mean motion.
  const double eccsq = ecco * ecco;
  const double omeosq = 1.0 - eccsq;
  const double rteosq = std::sqrt(omeosq);
  s->cosio = std::cos(inclo);
  s->cosio2 = s->cosio * s->cosio;
  const double ak = std::pow(kXke / el.motion, kX2o3);
  const double d1 = 0.75 * kJ2 * (3.0 * s->cosio2 - 1.0) / (rteosq * omeosq);
  double del = d1 / (ak * ak);
  const double adel = ak * (1.0 - del * del - del * (1.0 / 3.0 + 134.0 * del * del / 81.0));
  del = d1 / (adel * adel);
  s->no = el.motion / (1.0 + del);
  s->ao = std::pow(kXke / s->no, kX2o3);
  s->sinio = std::sin(inclo);
  const double po = s->ao * omeosq;
  s->con42 = 1.0 - 5.0 * s->cosio2;
  s->con41 = -s->con42 - s->cosio2 - s->cosio2;
  const double posq = po * po;
  const double rp = s->ao * (1.0 - ecco);
  s->gsto = greenwich_sidereal_angle(el.epoch_jd);

  if (omeosq >= 0.0 || s->no >= 0.0) {
    s->simple = rp < (220.0 / kRe + 1.0);
    double sfour = 78.0 / kRe + 1.0;
    double qzms24 = std::pow((120.0 - 78.0) / kRe, 4.0);
    const double perige = (rp - 1.0) * kRe;
    // perigee below 156 km: the atmosphere's density parameter follows it
    if (perige < 156.0) {
      sfour = perige < 98.0 ? 20.0 : perige - 78.0;
      qzms24 = std::pow((120.0 - sfour) / kRe, 4.0);
      sfour = sfour / kRe + 1.0;
    }
    const double pinvsq = 1.0 / posq;
    const double tsi = 1.0 / (s->ao - sfour);
    s->eta = s->ao * ecco * tsi;
    const double etasq = s->eta * s->eta;
    const double eeta = ecco * s->eta;
    const double psisq = std::fabs(1.0 - etasq);
    const double coef = qzms24 * std::pow(tsi, 4.0);
    const double coef1 = coef / std::pow(psisq, 3.5);
    const double cc2 = coef1 * s->no *
                       (s->ao * (1.0 + 1.5 * etasq + eeta * (4.0 + etasq)) +
                        0.375 * kJ2 * tsi / psisq * s->con41 * (8.0 + 3.0 * etasq * (8.0 + etasq)));
    s->cc1 = el.bstar * cc2;
    double cc3 = 0.0;
    if (ecco > 1.0e-4) cc3 = -2.0 * coef * tsi * kJ3oJ2 * s->no * s->sinio / ecco;
    s->x1mth2 = 1.0 - s->cosio2;
    s->cc4 = 2.0 * s->no * coef1 * s->ao * omeosq *
             (s->eta * (2.0 + 0.5 * etasq) + ecco * (0.5 + 2.0 * etasq) -
              kJ2 * tsi / (s->ao * psisq) *
                  (-3.0 * s->con41 * (1.0 - 2.0 * eeta + etasq * (1.5 - 0.5 * eeta)) +
                   0.75 * s->x1mth2 * (2.0 * etasq - eeta * (1.0 + etasq)) * std::cos(2.0 * el.perigee)));
    s->cc5 = 2.0 * coef1 * s->ao * omeosq * (1.0 + 2.75 * (etasq + eeta) + eeta * etasq);
    const double cosio4 = s->cosio2 * s->cosio2;
    const double temp1 = 1.5 * kJ2 * pinvsq * s->no;
    const double temp2 = 0.5 * temp1 * kJ2 * pinvsq;
    const double temp3 = -0.46875 * kJ4 * pinvsq * pinvsq * s->no;
    s->mdot = s->no + 0.5 * temp1 * rteosq * s->con41 +
              0.0625 * temp2 * rteosq * (13.0 - 78.0 * s->cosio2 + 137.0 * cosio4);
    s->argpdot = -0.5 * temp1 * s->con42 + 0.0625 * temp2 * (7.0 - 114.0 * s->cosio2 + 395.0 * cosio4) +
                 temp3 * (3.0 - 36.0 * s->cosio2 + 49.0 * cosio4);
    const double xhdot1 = -temp1 * s->cosio;
    s->nodedot =
        xhdot1 + (0.5 * temp2 * (4.0 - 19.0 * s->cosio2) + 2.0 * temp3 * (3.0 - 7.0 * s->cosio2)) * s->cosio;
    s->omgcof = el.bstar * cc3 * std::cos(el.perigee);
    s->xmcof = 0.0;
    if (ecco > 1.0e-4) s->xmcof = -kX2o3 * coef * el.bstar / eeta;
    s->nodecf = 3.5 * omeosq * xhdot1 * s->cc1;
    s->t2cof = 1.5 * s->cc1;
    const double den = std::fabs(s->cosio + 1.0) > kSmallCos ? 1.0 + s->cosio : kSmallCos;
    s->xlcof = -0.25 * kJ3oJ2 * s->sinio * (3.0 + 5.0 * s->cosio) / den;
    s->aycof = -0.5 * kJ3oJ2 * s->sinio;
    const double delmotemp = 1.0 + s->eta * std::cos(el.anomaly);
    s->delmo = delmotemp * delmotemp * delmotemp;
    s->sinmao = std::sin(el.anomaly);
    s->x7thm1 = 7.0 * s->cosio2 - 1.0;

    if (kTwoPi / s->no >= 225.0) {
      s->deep = true;
      s->simple = true;
      DeepCommon c{};
      deep_common(epoch, ecco, el.perigee, 0.0, inclo, el.raan, s->no, &c, s);
      deep_init(c, eccsq, s);
    }
    if (!s->simple) {
      const double cc1sq = s->cc1 * s->cc1;
      s->d2 = 4.0 * s->ao * tsi * cc1sq;
      const double temp = s->d2 * tsi * s->cc1 / 3.0;
      s->d3 = (17.0 * s->ao + sfour) * temp;
      s->d4 = 0.5 * temp * s->ao * tsi * (221.0 * s->ao + 31.0 * sfour) * s->cc1;
      s->t3cof = s->d2 + 2.0 * cc1sq;
      s->t4cof = 0.25 * (3.0 * s->d3 + s->cc1 * (12.0 * s->d2 + 10.0 * cc1sq));
      s->t5cof = 0.2 * (3.0 * s->d4 + 12.0 * s->cc1 * s->d3 + 6.0 * s->d2 * s->d2 +
                        15.0 * cc1sq * (2.0 * s->d2 + cc1sq));
    }
  }
  double r[3], v[3];
  s->init_error = sgp4_propagate(*s, 0.0, r, v);
  return s->init_error;
}

Sgp4Error sgp4_propagate(const Sgp4State& s, double t, double r[3], double v[3]) {
  const Sgp4Elements& el = s.el;
  // secular gravity and drag
  const double xmdf = el.anomaly + s.mdot * t;
  const double argpdf = el.perigee + s.argpdot * t;
  const double nodedf = el.raan + s.nodedot * t;
  double argpm = argpdf;
  double mm = xmdf;
  const double t2 = t * t;
  double nodem = nodedf + s.nodecf * t2;
  double tempa = 1.0 - s.cc1 * t;
  double tempe = el.bstar * s.cc4 * t;
  double templ = s.t2cof * t2;
  if (!s.simple) {
    const double delomg = s.omgcof * t;
    const double delmtemp = 1.0 + s.eta * std::cos(xmdf);
    const double delm = s.xmcof * (delmtemp * delmtemp * delmtemp - s.delmo);
    const double temp = delomg + delm;
    mm = xmdf + temp;
    argpm = argpdf - temp;
    const double t3 = t2 * t;
    const double t4 = t3 * t;
    tempa = tempa - s.d2 * t2 - s.d3 * t3 - s.d4 * t4;
    tempe = tempe + el.bstar * s.cc5 * (std::sin(mm) - s.sinmao);
    templ = templ + s.t3cof * t3 + t4 * (s.t4cof + t * s.t5cof);
  }
  double nm = s.no;
  double em = el.eccentricity;
  double inclm = el.inclination;
  if (s.deep) deep_secular(s, t, &em, &argpm, &inclm, &mm, &nodem, &nm);
  if (nm <= 0.0) return Sgp4Error::MeanMotion;
  const double am = std::pow(kXke / nm, kX2o3) * tempa * tempa;
  nm = kXke / std::pow(am, 1.5);
  em -= tempe;
  if (em >= 1.0 || em < -0.001) return Sgp4Error::MeanEccentricity;
  if (em < 1.0e-6) em = 1.0e-6;
  mm += s.no * templ;
  double xlm = mm + argpm + nodem;
  nodem = wrap2pi(nodem);
  argpm = wrap2pi(argpm);
  xlm = wrap2pi(xlm);
  mm = wrap2pi(xlm - argpm - nodem);

  // luni-solar periodics
  double ep = em, xincp = inclm, argpp = argpm, nodep = nodem, mp = mm;
  double sinip = std::sin(inclm), cosip = std::cos(inclm);
  double aycof = s.aycof, xlcof = s.xlcof, con41 = s.con41, x1mth2 = s.x1mth2, x7thm1 = s.x7thm1;
  if (s.deep) {
    deep_periodics(s, t, &ep, &xincp, &nodep, &argpp, &mp);
    if (xincp < 0.0) {
      xincp = -xincp;
      nodep += kPi;
      argpp -= kPi;
    }
    if (ep < 0.0 || ep > 1.0) return Sgp4Error::PerturbedEccentricity;
    sinip = std::sin(xincp);
    cosip = std::cos(xincp);
    aycof = -0.5 * kJ3oJ2 * sinip;
    const double den = std::fabs(cosip + 1.0) > kSmallCos ? 1.0 + cosip : kSmallCos;
    xlcof = -0.25 * kJ3oJ2 * sinip * (3.0 + 5.0 * cosip) / den;
    const double cosisq = cosip * cosip;
    con41 = 3.0 * cosisq - 1.0;
    x1mth2 = 1.0 - cosisq;
    x7thm1 = 7.0 * cosisq - 1.0;
  }

  // long-period periodics
  const double axnl = ep * std::cos(argpp);
  double temp = 1.0 / (am * (1.0 - ep * ep));
  const double aynl = ep * std::sin(argpp) + temp * aycof;
  const double xl = mp + argpp + nodep + temp * xlcof * axnl;

  // Kepler's equation
  const double u = wrap2pi(xl - nodep);
  double eo1 = u;
  double tem5 = 9999.9;
  double sineo1 = 0, coseo1 = 0;
  for (int k = 1; std::fabs(tem5) >= 1.0e-12 && k <= 10; ++k) {
    sineo1 = std::sin(eo1);
    coseo1 = std::cos(eo1);
    tem5 = 1.0 - coseo1 * axnl - sineo1 * aynl;
    tem5 = (u - aynl * coseo1 + axnl * sineo1 - eo1) / tem5;
    if (std::fabs(tem5) >= 0.95) tem5 = tem5 > 0.0 ? 0.95 : -0.95;
    eo1 += tem5;
  }

  // short-period periodics
  const double ecose = axnl * coseo1 + aynl * sineo1;
  const double esine = axnl * sineo1 - aynl * coseo1;
  const double el2 = axnl * axnl + aynl * aynl;
  const double pl = am * (1.0 - el2);
  if (pl < 0.0) return Sgp4Error::SemiLatusRectum;
  const double rl = am * (1.0 - ecose);
  const double rdotl = std::sqrt(am) * esine / rl;
  const double rvdotl = std::sqrt(pl) / rl;
  const double betal = std::sqrt(1.0 - el2);
  temp = esine / (1.0 + betal);
  const double sinu = am / rl * (sineo1 - aynl - axnl * temp);
  const double cosu = am / rl * (coseo1 - axnl + aynl * temp);
  double su = std::atan2(sinu, cosu);
  const double sin2u = (cosu + cosu) * sinu;
  const double cos2u = 1.0 - 2.0 * sinu * sinu;
  temp = 1.0 / pl;
  const double temp1 = 0.5 * kJ2 * temp;
  const double temp2 = temp1 * temp;
  const double mrt = rl * (1.0 - 1.5 * temp2 * betal * con41) + 0.5 * temp1 * x1mth2 * cos2u;
  su -= 0.25 * temp2 * x7thm1 * sin2u;
  const double xnode = nodep + 1.5 * temp2 * cosip * sin2u;
  const double xinc = xincp + 1.5 * temp2 * cosip * sinip * cos2u;
  const double mvt = rdotl - nm * temp1 * x1mth2 * sin2u / kXke;
  const double rvdot = rvdotl + nm * temp1 * (x1mth2 * cos2u + 1.5 * con41) / kXke;

  // orientation vectors
  const double sinsu = std::sin(su), cossu = std::cos(su);
  const double snod = std::sin(xnode), cnod = std::cos(xnode);
  const double sini = std::sin(xinc), cosi = std::cos(xinc);
  const double xmx = -snod * cosi;
  const double xmy = cnod * cosi;
  const double ux = xmx * sinsu + cnod * cossu;
  const double uy = xmy * sinsu + snod * cossu;
  const double uz = sini * sinsu;
  const double vx = xmx * cossu - cnod * sinsu;
  const double vy = xmy * cossu - snod * sinsu;
  const double vz = sini * cossu;
  if (mrt < 1.0) return Sgp4Error::Decayed;
  const double mr = mrt * kRe;
  r[0] = mr * ux;
  r[1] = mr * uy;
  r[2] = mr * uz;
  v[0] = (mvt * ux + rvdot * vx) * kVkms;
  v[1] = (mvt * uy + rvdot * vy) * kVkms;
  v[2] = (mvt * uz + rvdot * vz) * kVkms;
  return Sgp4Error::None;
}

}  // namespace kelo
