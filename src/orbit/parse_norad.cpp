#include "orbit/parse_norad.h"

namespace kelo {

int read_norad_next_keps(FILE*, std::string*, KEPLER*) { return 0; }
int parse_norad_lines(const char*, const char*, KEPLER*) { return 0; }

}  // namespace kelo
