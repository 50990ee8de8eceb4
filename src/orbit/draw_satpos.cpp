#include "orbit/draw_satpos.h"

namespace kelo {

int draw_lonlat(PIC_INFO*, VIEW_INFO*, WindowHandle) { return 0; }
int draw_lonlat_canvas(PIC_INFO*, VIEW_INFO*, DRAWABLE_INFO*, WindowHandle) { return 0; }
int grid_step(int, int) { return 0; }
void Draw_Lonlatpix(int, int, const POSITION*, const POSITION*, const POSITION*, int, int, DRAWABLE_INFO*,
                    const KColor&) {}
COORD_TEXT coord_values(const DRAWABLE_INFO*, int, int, PIC_INFO*, VIEW_INFO*) { return {}; }
void Update_Coord(WindowHandle, int, int, PIC_INFO*, VIEW_INFO*) {}

}  // namespace kelo
