#include "export/file_save.h"

namespace kelo {

const char* save_extension(int) { return "dat"; }
bool is_hrpt_family(int) { return false; }
int export_bitshift(int, int, int) { return 0; }
int save_destination(const PIC_INFO*, PIC_INFO*, int, const int*) { return 0; }
int Save_it(WindowHandle, PIC_INFO*, PIC_INFO*, const std::string&, const VIEW_INFO*, SaveReport*) {
  return -1;
}
int Rewrite_hdr(PIC_INFO*) { return -1; }

}  // namespace kelo
