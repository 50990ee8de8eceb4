#include "record/pp_dec_interf.h"

#include "record/port.h"

namespace kelo {

uint8_t chan_mask_byte(const int*) { return 0; }
int get_pp_data(RECORD_INFO*, uint16_t*) { return 0; }
int getpp_hrpt_frame(uint16_t*, RECORD_INFO*) { return 0; }
int pp_wait_for_insync(RECORD_INFO*, int) { return 0; }
int pp_wait_for_outsync(RECORD_INFO*, int) { return 0; }
void select_channel_pp(const int*, RECORD_INFO*, int) {}
int get_ppreg(int) { return 0; }
int read_parsigs(RECORD_INFO*, std::vector<uint16_t>*, int, int) { return 0; }
std::vector<ParSignal> split_parsigs(const std::vector<uint16_t>&, int) { return {}; }
int Open_HWConnect(RECORD_INFO*) { return 0; }
void Close_HWConnect(RECORD_INFO*) {}
int get_hrpt_frame(uint16_t*, RECORD_INFO*) { return 0; }
void select_channel(const int*, RECORD_INFO*, int) {}
int get_hwselected(int, RECORD_INFO*) { return 0; }
int wait_for_insync(RECORD_INFO*, int) { return 0; }
int wait_for_outsync(RECORD_INFO*, int) { return 0; }
int usb_list_ndevs() { return 0; }
std::string hwconnect_error_text(const RECORD_INFO*) { return {}; }

}  // namespace kelo
