#include "files/file.h"

namespace kelo {

int detect_file(const std::string&) { return 0; }
std::string strip_filename(const std::string& path) { return path; }
std::string picture_window_title(const std::string&) { return "Kelo"; }
int open_file(PIC_INFO*, VIEW_INFO*, WindowHandle) { return kErrOpen; }
void close_picfile(PIC_INFO* pic) { pic->pic_fp.close(); }
int create_new_filename(std::string*, const std::string&, const std::string&, const std::string&) {
  return 0;
}
int open_new_recfile(const std::string&, const std::string&, RECORD_INFO*) { return 0; }
void close_recfile(RECORD_INFO* rec) { rec->rec_fp.close(); }
int write_header(PIC_INFO*) { return 0; }
int write_line(uint16_t*, uint16_t*, uint16_t*, PIC_INFO*, int) { return -1; }
int write_finish(PIC_INFO*) { return -1; }
int load_chan(const PIC_INFO*, const VIEW_INFO*, int*) { return 0; }

}  // namespace kelo
