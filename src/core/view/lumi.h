// Luminance window logic: the automatic window from the histogram, the
// histogram plot into a canvas buffer, and clicks into the plot.
#pragma once

#include "core/base/records.h"
#include "core/view/rgbdraw.h"

namespace kelo {

// lmin/lmax from the histogram: the first and last level (>= 1, < levels)
// whose count exceeds 2 % of the peak. Unchanged when there is none.
void calc_lum_thresholds(VIEW_INFO* view, int levels);

// Plot the histogram into the plot canvas (cleared first): red curve,
// green lmin/lmax markers. *lumzoom (vertical amplification) is raised to at
// least 1. Returns 1 when drawn, 0 when there is nothing to draw.
int draw_stat(DRAWABLE_INFO* plot, const PIC_INFO* pic, const VIEW_INFO* view, int* lumzoom);

// Level under plot column x.
int lum_click_level(int x, int plot_width, int lut_size);
// A click at `level` moves the nearer of lmin/lmax (lmin on a tie).
void lum_click(VIEW_INFO* view, int level);
// lmin/lmax non-negative and in order (as the window shows them).
void lum_normalise(VIEW_INFO* view);

}  // namespace kelo
