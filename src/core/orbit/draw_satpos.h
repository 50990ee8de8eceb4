// Longitude/latitude grid over the picture and the mouse position read-out.
#pragma once

#include <string>

#include "core/base/records.h"
#include "core/view/pass_listener.h"
#include "core/view/rgbdraw.h"

namespace kelo {

// Grid over `canvas`, row by row, telling `listener` (may be null) of the
// rows drawn and asking it between rows whether to stop. 1 when drawn (or
// stopped), 0 when the picture has no orbit constants or there is no canvas.
int draw_lonlat_canvas(PIC_INFO* pic, VIEW_INFO* view, DRAWABLE_INFO* canvas, PassListener* listener);

// Grid step (1, 2 or 5 degrees) for a span of whole degrees min .. max.
int grid_step(int dmin, int dmax);

// One grid pixel: positions in degrees (lon, lat fields). Sets pixel (x, y)
// to `colour` where a multiple of the step is crossed towards the left or
// upper neighbour, and writes the labels on row 1 / column 1 in white.
void Draw_Lonlatpix(int x, int y, const POSITION* cur, const POSITION* left, const POSITION* up, int lon_step,
                    int lat_step, DRAWABLE_INFO* rgb, const KColor& colour);

// The texts of the "Position" and "Pixel" entries for canvas pixel (sx, sy).
struct COORD_TEXT {
  std::string position;
  std::string pixel;
};
COORD_TEXT coord_values(const DRAWABLE_INFO* canvas, int sx, int sy, PIC_INFO* pic, VIEW_INFO* view);

}  // namespace kelo
