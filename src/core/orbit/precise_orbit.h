// The precise orbit model: SGP4/SDP4 positions of the picture's element set,
// the Greenwich sidereal angle of the line's date, and the AVHRR scan
// geometry meeting the WGS-84 ellipsoid. Reached through xy2lonlat when the
// picture's orbit record asks for it.
#pragma once

#include "core/base/records.h"

namespace kelo {

// Half scan angle (degrees) the precise model uses for the picture: the
// AVHRR's 55.37 for a 2048-sample picture whose header carries the rounded
// 55.4, otherwise the header's own.
double precise_half_scan_angle(const PIC_INFO* pic);

// Longitude and latitude of picture pixel (x, y), in the station's radians
// (degrees = value x 180 / 3.1415926) like the simple model's. 1, or 0 when
// the picture has no line timing or no orbit, the propagator reports an
// error for the line's time, or the pixel's line of sight misses the earth.
int xy2lonlat_precise(int x, int y, PIC_INFO* pic, POSITION* lonlat);

}  // namespace kelo
