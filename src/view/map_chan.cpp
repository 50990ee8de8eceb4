#include "view/map_chan.h"

namespace kelo {

int mapchan_auto_color(const PIC_INFO*, VIEW_INFO*) { return 1; }
void mapchan_auto_align(const PIC_INFO*, VIEW_INFO*) {}
void mapchan_reset_align(VIEW_INFO*) {}
int sat_number(const std::string&) { return -1; }

}  // namespace kelo
