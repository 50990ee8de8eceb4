#include "files/hrpt_framehdr.h"

namespace kelo {

const char* spacecrftaddr2name(int) { return ""; }
const char* xrptid2name(int, int) { return nullptr; }
void decode_framehdr(const uint16_t*, int, FRAME_HDR*) {}
int get_hrpt_framehdr(PIC_INFO*, VIEW_INFO*, int, FRAME_HDR*) { return 0; }
int search_first_reliable_frame(int, PIC_INFO*, VIEW_INFO*, FRAME_HDR*) { return 0; }
int interpret_framehdr(FRAME_HDR*, const BrokenTime*) { return 'd'; }

}  // namespace kelo
