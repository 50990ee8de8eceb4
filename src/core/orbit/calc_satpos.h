// The station's orbit model: a circular orbit with secular drift of node and
// perigee, the earth turning underneath, and the scan across track.
#pragma once

#include "core/base/records.h"

namespace kelo {

inline constexpr float kEarthRadius = 6378160.0f;  // metres

// Derives period, height, drift rates and the epoch; 1, or 0 when the mean
// motion is below 0.1 revolutions per day (orbit left untouched).
int calc_orbitconst(const KEPLER* kepler, ORBIT* orbit);
// Satellite unit vector in the orbit frame at time tm + ms; stores the node
// drift in orbit->node_shift. 1, or 0 when the revolution count overflows.
int calcpossat(const BrokenTime* tm, int ms, const KEPLER* kepler, ORBIT* orbit, POSITION* pos);
// Earth rotation angle (pos->lon) at time tm + ms; pos->lat = 0.
void calcposearth(const BrokenTime* tm, int ms, POSITION* pos);
// Earth-centre angle between nadir and scan position x of w positions from
// the swath edge (x = 0) to nadir (x = w); negated for direction 3.
float x2earthangle(float height, int direction, float x, float w, float angle);
// Pixel direction: the satellite vector turned by the earth-centre angle
// `angle` towards the orbit normal.
void calc_satobs(const KEPLER* kepler, const ORBIT* orbit, const POSITION* sat, POSITION* pix, float angle);
// Pixel direction of scan position x.
void calc_x2satobs(const KEPLER* kepler, const ORBIT* orbit, const POSITION* sat, POSITION* pix,
                   int pixels_per_line, float half_scan_angle, float x);
// Longitude and latitude (radians, within +-pi) of a pixel direction.
void calcposrel(const KEPLER* kepler, const ORBIT* orbit, const POSITION* pix, const POSITION* earth,
                POSITION* lonlat);
// Longitude and latitude of picture pixel (x, y) with the model the
// picture's orbit record names (orbit.model; the precise one is
// precise_orbit.h's): 1, or 0 when the picture
// has no line timing. Positions of the last line are cached in the picture
// (pic->satpos); the cache is keyed on the picture's elements, times and
// corrections as well as the line, so a change of any of them is never
// answered from the cache.
int xy2lonlat(int x, int y, PIC_INFO* pic, POSITION* lonlat);
// Forgets the picture's cached line and scan table.
void reset_satpos_cache(PIC_INFO* pic);

}  // namespace kelo
