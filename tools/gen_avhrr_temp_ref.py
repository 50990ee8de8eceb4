#!/usr/bin/env python3
"""Independent reference for the AVHRR brightness temperatures.

Builds, for each NOAA satellite, a five-line calibration window (a reference
line, then PRT 1..4), blackbody and space counts, and Earth counts chosen for
scene temperatures 200..320 K, and computes in double precision the
temperature each Earth count stands for, with the NOAA in-flight calibration
steps written out here once:

  PRT temperature  T = d0 + d1 n + d2 n^2 + d3 n^3 + d4 n^4
  blackbody        Tbb = mean of the four PRTs, Teff = A + B Tbb
  Planck           N(T) = c1 v^3 / (exp(c2 v / T) - 1)
  linear radiance  Rlin = Ns + (Cs - Ce) (Nbb - Ns) / (Cs - Cbb)
  non-linearity    the form each satellite's tables are published in:
                   NOAA-14 and the 3.7 um channel:  R = b0 + f Rlin + b2 Rlin^2
                   KLM channels 4 and 5:            R = Rlin + b0 + b1 Rlin + b2 Rlin^2
  inverse Planck   Te = c2 v / ln(1 + c1 v^3 / R), T = (Te - A) / B

Cbb and Cs are the integer means (sum // 10) of the ten samples of a line.
Writes a C++ include with the counts and the expected temperatures; a
temperature that does not exist (R <= 0) is written as -1.

Usage: tools/gen_avhrr_temp_ref.py > tests/view/avhrr_temp_ref.inc
"""
import math

C1 = 1.1910427e-05
C2 = 1.4387752

# PRT polynomials (d0..d4) for PRT 1..4.
PRT = {
    14: [(276.597, 0.051275, 1.363e-06, 0, 0)] * 4,
    15: [(276.6016, 0.051045, 1.36328e-06, 0, 0), (276.6253, 0.050909, 1.47266e-06, 0, 0),
         (276.6741, 0.050907, 1.47656e-06, 0, 0), (276.5926, 0.050966, 1.47656e-06, 0, 0)],
    16: [(276.355, 0.05562, -1.59e-05, 2.486e-08, -1.199e-11), (276.142, 0.05605, -1.707e-05, 2.595e-08, -1.224e-11),
         (275.996, 0.05486, -1.223e-05, 1.862e-08, -8.53e-12), (276.132, 0.05494, -1.344e-05, 2.112e-08, -1.001e-11)],
    18: [(276.601, 0.0509, 1.657e-06, 0, 0), (276.683, 0.05101, 1.482e-06, 0, 0),
         (276.565, 0.05117, 1.313e-06, 0, 0), (276.615, 0.05103, 1.484e-06, 0, 0)],
    19: [(276.6067, 0.051111, 1.405783e-06, 0, 0), (276.6119, 0.05109, 1.496037e-06, 0, 0),
         (276.6311, 0.051033, 1.49699e-06, 0, 0), (276.6268, 0.051058, 1.49311e-06, 0, 0)],
}

# Channel rows: vc, A, B, Ns, and the non-linearity as ('factor', b0, f, b2)
# or ('klm', b0, b1, b2), as the satellite's tables give them.
CHAN = {
    14: {3: (2642.807, 0, 1, 0.0069, ('factor', -0.0031, 1.00359, 0)),
         4: (928.8284, 0, 1, -4.05, ('factor', 3.72, 0.92378, 0.0003822)),
         5: (834.8066, 0, 1, -2.29, ('factor', 2.0, 0.96194, 0.0001742))},
    15: {3: (2695.974, 1.621256, 0.998015, 0, ('factor', 0, 1, 0)),
         4: (925.4075, 0.33781, 0.998719, -4.5, ('klm', 4.76, -0.0932, 0.0004524)),
         5: (839.8979, 0.304558, 0.999024, -3.61, ('klm', 3.83, -0.0659, 0.0002811))},
    16: {3: (2700.115, 1.592459, 0.998147, 0, ('factor', 0, 1, 0)),
         4: (917.2289, 0.33238, 0.998522, -2.467, ('klm', 2.96, -0.05411, 0.00024532)),
         5: (838.1255, 0.674623, 0.998363, -2.009, ('klm', 2.25, -0.03665, 0.00014854))},
    18: {3: (2659.7952, 1.698704, 0.99696, 0, ('klm', 0, 0, 0)),
         4: (928.1460, 0.436645, 0.998607, -5.53, ('klm', 5.82, -0.11069, 0.00052337)),
         5: (833.2532, 0.253179, 0.999057, -2.22, ('klm', 2.67, -0.04360, 0.00017715))},
    19: {3: (2670.0, 1.67396, 0.997364, 0, ('klm', 0, 0, 0)),
         4: (928.9, 0.53959, 0.998534, -5.49, ('klm', 5.70, -0.11187, 0.00054668)),
         5: (831.9, 0.36064, 0.998913, -3.39, ('klm', 3.58, -0.05991, 0.00024985))},
}

SCENES = list(range(200, 321, 10))  # 13 scene temperatures, kelvin


def planck(v, t):
    return C1 * v ** 3 / (math.exp(C2 * v / t) - 1)


def nonlin(form, rlin):
    kind, b0, b1, b2 = form
    if kind == 'factor':
        return b0 + b1 * rlin + b2 * rlin * rlin
    return rlin + b0 + b1 * rlin + b2 * rlin * rlin


def inverse_nonlin(form, r):
    """Rlin for a radiance R (the root next to R)."""
    kind, b0, b1, b2 = form
    f = b1 if kind == 'factor' else 1 + b1
    if b2 == 0:
        return (r - b0) / f
    disc = f * f - 4 * b2 * (b0 - r)
    return (-f + math.sqrt(disc)) / (2 * b2)


def prt_temp(coef, n):
    d0, d1, d2, d3, d4 = coef
    return d0 + d1 * n + d2 * n ** 2 + d3 * n ** 3 + d4 * n ** 4


def prt_counts(p):
    # reading r (0..2: words 17, 18, 19) of PRT p (1..4)
    return [380 + 9 * p + 4 * r for r in range(3)]


BB_BASE = {3: 650, 4: 402, 5: 415}       # blackbody counts: base .. base + 9
SPACE_BASE = {1: 38, 2: 41, 3: 986, 4: 990, 5: 983}  # space counts: base .. base + 9


def mean10(base):
    return sum(base + i for i in range(10)) // 10


def case(sat):
    out = {'prt': [[1, 2, 3]] + [prt_counts(p) for p in range(1, 5)],
           'bb': {ch: [BB_BASE[ch] + i for i in range(10)] for ch in (3, 4, 5)},
           'space': {ch: [SPACE_BASE[ch] + i for i in range(10)] for ch in (1, 2, 3, 4, 5)},
           'earth': {}, 'expect': {}}
    for ch in (3, 4, 5):
        vc, a, b, ns, form = CHAN[sat][ch]
        reading = ch - 3
        tbb = sum(prt_temp(PRT[sat][p - 1], prt_counts(p)[reading]) for p in range(1, 5)) / 4
        nbb = planck(vc, a + b * tbb)
        cs = mean10(SPACE_BASE[ch])
        cbb = mean10(BB_BASE[ch])
        gain = (nbb - ns) / (cs - cbb)
        counts = []
        for t in SCENES:
            rlin = inverse_nonlin(form, planck(vc, a + b * t))
            ce = round(cs - (rlin - ns) / gain)
            counts.append(min(1023, max(0, ce)))
        counts += [cbb, cs, 1023]  # the blackbody itself, the space view, colder than space
        expect = []
        for ce in counts:
            rlin = ns + (cs - ce) * gain
            r = nonlin(form, rlin)
            if r <= 0:
                expect.append(-1.0)
                continue
            te = C2 * vc / math.log(1 + C1 * vc ** 3 / r)
            expect.append((te - a) / b)
        out['earth'][ch] = counts
        out['expect'][ch] = expect
        out.setdefault('tbb', {})[ch] = tbb
    return out


def main():
    print('// Generated by tools/gen_avhrr_temp_ref.py; do not edit.')
    print('// Counts of a calibration window and the temperatures (K) the Earth counts')
    print('// stand for, computed in double precision; -1: no temperature exists.')
    print(f'constexpr int kRefPixels = {len(SCENES) + 3};')
    print('struct AvhrrRefCase {')
    print('  int sat;                       // NOAA number')
    print('  uint16_t prt[5][3];            // words 17, 18, 19 of lines 0..4')
    print('  uint16_t bb[3][10];            // blackbody counts of channels 3..5')
    print('  uint16_t space[5][10];         // space counts of channels 1..5')
    print('  uint16_t earth[3][kRefPixels]; // Earth counts of channels 3..5')
    print('  double expect[3][kRefPixels];  // their temperatures, K (-1: none)')
    print('  double tbb[3];                 // blackbody temperature per channel, K')
    print('};')
    print('constexpr AvhrrRefCase kAvhrrRef[] = {')
    for sat in (14, 15, 16, 18, 19):
        c = case(sat)
        print(f'    {{{sat},')
        print('     {' + ', '.join('{' + ', '.join(map(str, r)) + '}' for r in c['prt']) + '},')
        print('     {' + ', '.join('{' + ', '.join(map(str, c['bb'][ch])) + '}' for ch in (3, 4, 5)) + '},')
        print('     {' + ', '.join('{' + ', '.join(map(str, c['space'][ch])) + '}' for ch in (1, 2, 3, 4, 5)) + '},')
        print('     {' + ', '.join('{' + ', '.join(map(str, c['earth'][ch])) + '}' for ch in (3, 4, 5)) + '},')
        print('     {' + ', '.join('{' + ', '.join(f'{v:.4f}' for v in c['expect'][ch]) + '}' for ch in (3, 4, 5)) + '},')
        print('     {' + ', '.join(f'{c["tbb"][ch]:.4f}' for ch in (3, 4, 5)) + '}},')
    print('};')


if __name__ == '__main__':
    main()
