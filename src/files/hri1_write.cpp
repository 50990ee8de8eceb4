#include "files/hri1_write.h"

namespace kelo {

int write_hri1_hdr(RECORD_INFO*) { return 0; }
int write_hri1_line(RECORD_INFO*, const uint16_t*) { return 0; }

}  // namespace kelo
