#include "files/ahrpt1_read.h"

namespace kelo {

int read_ahrpt1_hdr(PIC_INFO*) { return 0; }
int read_ahrpt1_line(PIC_INFO*, VIEW_INFO*, int, uint16_t*) { return 1; }
int search_startofline(FILE*) { return 0; }
int cmp_sync(const uint8_t*, uint32_t, uint32_t, int) { return 8; }
void calc_ahrptframeinfo(FRAME_GEOM*, int, const int*, int) {}

}  // namespace kelo
