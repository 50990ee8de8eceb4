#include "files/hri_functions.h"

namespace kelo {

void hri_channelselect(PIC_INFO*, VIEW_INFO*) {}
void add_hrigrid(PIC_INFO*, uint8_t*, const uint8_t*) {}
void hri_satind2satname(int, std::string*) {}
void hri_hdrsf2hri_pci(const uint8_t*, std::string*, PIC_INFO*) {}
void hri_sf2hri_pci(const uint8_t*, HRI_INFO*, PIC_INFO*) {}
void calc_hriframeinfo(FRAME_GEOM*, const HRI_INFO*) {}

}  // namespace kelo
