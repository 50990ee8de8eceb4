#include "files/hri1_read.h"

namespace kelo {

int read_hri1_hdr(PIC_INFO*) { return kErrRead; }
int find_picture(PIC_INFO*, uint8_t*, FILE*) { return 1; }
int read_hri1_frame(uint8_t*, FILE*) { return 0; }
int read_hri1_line(PIC_INFO*, VIEW_INFO*, int, uint16_t*, uint8_t*) { return 0; }
int get_hri1_nextline(PIC_INFO*, VIEW_INFO*, int, uint16_t*, uint8_t*) { return 0; }

}  // namespace kelo
