#include "app/startup.h"

#include "core/base/prefer.h"
#include "core/files/file.h"
#include "core/view/open_picture.h"

namespace kelo {

int open_cmdline_picture(const CmdLine& cmd, PIC_INFO* pic, VIEW_INFO* view, PREFS* prefs, FILE* err) {
  if (cmd.file.empty()) return 0;
  pic->path = cmd.file;
  int code = open_picture(pic, view, nullptr);
  if (code != 0) {
    const char* path = pic->path.c_str();
    if (code == kErrOpen) {
      std::fprintf(err, "ERROR: Can't open %s\n", path);
    } else if (code == kErrType) {
      std::fprintf(err, "ERROR: %s is unknown file type.\n", path);
    } else {
      std::fprintf(err, "ERROR: Problem with reading %s (code %c = %d).\n", path,
                   (code >= 32 && code < 127) ? code : '?', code);
    }
    return 1;
  }
  if (cmd.fit_picture) {
    prefs->canvas_w = pic->width;
    prefs->canvas_h = pic->height;
  }
  // South-north: flipped horizontally and vertically.
  if (cmd.south_north) {
    view->scan_dir = ScanDir::BottomUp;
    view->orientation = Orientation::FromSouth;
  }
  return 0;
}

}  // namespace kelo
