// The port test window's plot: the sampled signal traces as step lines in
// bands one above the other, drawn into a canvas record. Plain memory, so
// the plot is the same on the screen and in a test.
#pragma once

#include <vector>

#include "core/record/pp_dec_interf.h"
#include "core/view/rgbdraw.h"

namespace kelo {

inline constexpr int kParSamples = 10000;  // samples a trace holds
inline constexpr int kParLabelX = 10;      // name of a trace, from the band's top left
inline constexpr int kParLabelY = 10;
inline constexpr int kParTraceLeft = 100;     // traces start right of the names
inline constexpr double kParTraceFill = 0.8;  // share of its band a trace's swing takes

// The colour of a trace by its name: data bits green, the payload's low bit
// pins magenta, "Readyn" red, "Frame" cyan, "Sync" yellow.
KColor parsig_colour(const std::string& name);

// Where trace k of n lies on a canvas h pixels high: its band's top, the
// band's height b = h / n and the trace's swing g = b * 0.8 (truncated).
struct ParBand {
  int top = 0;
  int band = 0;
  int swing = 0;
};
ParBand parsig_band(int k, int n, int h);

// Plots the traces: names at the left, then for steps i = 1 .. count - 1
// (sample offset + i, never past the samples held) a vertical line from the
// level of the sample before to the level of this one and a horizontal line
// across the step. Nothing on a canvas 1 pixel wide. Returns the steps drawn
// per trace.
int draw_parsigs(DRAWABLE_INFO* canvas, const std::vector<ParSignal>& sigs, int count, int offset);

}  // namespace kelo
