#include "files/hrpt1_read.h"

namespace kelo {

bool hrpt1_hdr_from_bytes(const uint8_t*, size_t, bool, HRPT1_HDR*) { return false; }
void hrpt1_hdr_to_bytes(const HRPT1_HDR&, bool, uint8_t*) {}
int read_hrpt1_hdr(PIC_INFO*) { return kErrRead; }
std::unique_ptr<HRPT1_HDR> read_hrpt1hdr_file(FILE*) { return nullptr; }
std::unique_ptr<HRPT1_HDR> read_chrpt1hdr_file(FILE*) { return nullptr; }
FRAME_GEOM calc_hrptframeinfo(int, const int*, int) { return FRAME_GEOM{}; }
int read_qwords(FILE*, uint16_t*, int) { return 0; }
int hrpt_lines_in_file(PIC_INFO*) { return 0; }
int read_hrpt1_line(PIC_INFO*, VIEW_INFO*, int, uint16_t*) { return 0; }

}  // namespace kelo
