#include "view/render.h"

namespace kelo {

int render_view(PIC_INFO*, VIEW_INFO*, DRAWABLE_INFO*, int, int) { return 1; }
int write_canvas_ppm(const DRAWABLE_INFO*, const std::string&) { return 'o'; }

}  // namespace kelo
