#include "orbit/select_kepler_core.h"

namespace kelo {

int get_satkeps(FILE*, const char*, KEPLER*) { return 0; }

}  // namespace kelo
