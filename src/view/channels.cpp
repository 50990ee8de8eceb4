#include "view/channels.h"

namespace kelo {

void set_channel_state_hook(ChannelStateHook) {}
void Channel_Select(PIC_INFO*, VIEW_INFO*, WindowHandle) {}
void Update_channel_state(WindowHandle, const PIC_INFO*, const VIEW_INFO*, const std::string&,
                          const std::string&) {}
std::string file_type_text(const PIC_INFO*) { return {}; }
std::string file_info_text(const PIC_INFO*) { return {}; }
std::string frame_info_text(PIC_INFO*, VIEW_INFO*, int*) { return {}; }
std::string frame_header_text(int, int, const uint16_t*) { return {}; }

}  // namespace kelo
