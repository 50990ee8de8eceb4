#include "files/hrpt1_write.h"

namespace kelo {

int write_hrpt1_hdr(PIC_INFO*) { return 1; }
int write_hrpt1hdr_file(const HRPT1_HDR*, FILE*) { return 1; }
int write_chrpt1hdr_file(const HRPT1_HDR*, FILE*) { return 1; }
HRPT1_HDR make_hrpt1_hdr(PIC_INFO*) { return HRPT1_HDR{}; }
int write_hrpt1_line(PIC_INFO*, const uint16_t*, int) { return 0; }

}  // namespace kelo
