#include "core/view/render.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/files/new_file.h"
#include "core/orbit/draw_satpos.h"
#include "core/view/draw.h"
#include "core/view/mapping.h"
#include "core/view/zoom.h"

namespace kelo {

int render_view(PIC_INFO* pic, VIEW_INFO* view, DRAWABLE_INFO* canvas, int width, int height) {
  if (!pic || !view || !canvas || width < 1 || height < 1) return -1;
  if (renew_rgbbuf(canvas, width, height) < 0) return -1;
  load_std_palette(canvas, pic);
  correct_zoomval(canvas, view, pic);
  // No window: no events, no refreshes; a pass here is never interrupted by
  // a redraw request of the screen.
  const int pending = view->redraw_pending;
  view->redraw_pending = 0;
  const int rc = draw_pic_canvas(pic, view, canvas, nullptr);
  view->redraw_pending = pending;
  if (rc != 0) return 1;
  if (view->grid_on) draw_lonlat_canvas(pic, view, canvas, nullptr);
  return 0;
}

int write_canvas_ppm(const DRAWABLE_INFO* canvas, const std::string& path, std::string* error) {
  if (!canvas || canvas->rgb_buf.empty() || canvas->width < 1 || canvas->height < 1) return 'p';
  const size_t bytes = static_cast<size_t>(canvas->width) * static_cast<size_t>(canvas->height) * kRgbBytes;
  if (canvas->rgb_buf.size() < bytes) return 'p';
  // Written into a new temporary that becomes the picture when complete:
  // never a cut picture that looks like a good one, never through a link.
  NewFile out;
  std::string why;
  if (!out.open(path, &why)) {
    if (error != nullptr) *error = why;
    return 'o';
  }
  std::FILE* fp = out.file().get();
  const bool ok = std::fprintf(fp, "P6\n%d %d\n255\n", canvas->width, canvas->height) > 0 &&
                  std::fwrite(canvas->rgb_buf.data(), 1, bytes, fp) == bytes;
  if (!ok) {
    if (error != nullptr) *error = "Can't write " + path + ": " + std::strerror(errno);
    return 'r';
  }
  if (!out.commit(true, error)) return 'r';
  return 0;
}

}  // namespace kelo
