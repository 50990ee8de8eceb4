#include "orbit/calc_satpos.h"

namespace kelo {

int calc_orbitconst(const KEPLER*, ORBIT*) { return 0; }
int calcpossat(const BrokenTime*, int, const KEPLER*, ORBIT*, POSITION*) { return 0; }
void calcposearth(const BrokenTime*, int, POSITION*) {}
float x2earthangle(float, int, float, float, float) { return 0; }
void calc_satobs(const KEPLER*, const ORBIT*, const POSITION*, POSITION*, float) {}
void calc_x2satobs(const KEPLER*, const ORBIT*, const POSITION*, POSITION*, int, float, float) {}
void calcposrel(const KEPLER*, const ORBIT*, const POSITION*, const POSITION*, POSITION*) {}
int xy2lonlat(int, int, PIC_INFO*, POSITION*) { return 0; }
void reset_satpos_cache() {}

}  // namespace kelo
