#include "core/view/open_picture.h"

#include "core/files/file.h"
#include "core/view/channels.h"
#include "core/view/zoom.h"

namespace kelo {

void setup_view_for_picture(PIC_INFO* pic, VIEW_INFO* view) {
  view->lmin = 0;
  view->lmax = picture_value_max(pic);
  view->zoom = zoom_full();
  view->orientation = pic->orientation;
  view->scan_dir = pic->scan_dir;
  Channel_Select(pic, view);
}

int open_picture(PIC_INFO* pic, VIEW_INFO* view, OpenListener* listener) {
  const int rc = open_file(pic, view, listener);
  if (rc != kOpenOk) return rc;
  setup_view_for_picture(pic, view);
  if (listener != nullptr) listener->picture_ready(*pic, *view);
  return rc;
}

}  // namespace kelo
