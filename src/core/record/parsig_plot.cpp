#include "core/record/parsig_plot.h"

#include <string>

namespace kelo {

namespace {

constexpr int kLevelMax = 255;  // a sample's full swing (0x00 low, 0xFF high)

}  // namespace

KColor parsig_colour(const std::string& name) {
  if (name == "Pin 12" || name == "Pin 13") return {255, 0, 255};
  if (name == "Readyn") return {255, 0, 0};
  if (name == "Frame") return {0, 255, 255};
  if (name == "Sync") return {255, 255, 0};
  return {0, 255, 0};  // "data" bits and the whole "Data" byte
}

ParBand parsig_band(int k, int n, int h) {
  ParBand b;
  if (n <= 0) return b;
  b.band = h / n;
  b.top = b.band * k;
  b.swing = static_cast<int>(b.band * kParTraceFill);
  return b;
}

int draw_parsigs(DRAWABLE_INFO* canvas, const std::vector<ParSignal>& sigs, int count, int offset) {
  if (canvas == nullptr || canvas->width <= 1 || count <= 0 || sigs.empty()) return 0;
  const int w = canvas->width;
  const int n = static_cast<int>(sigs.size());
  int steps = 0;
  for (int k = 0; k < n; ++k) {
    const ParSignal& sig = sigs[static_cast<size_t>(k)];
    const KColor colour = parsig_colour(sig.name);
    const ParBand b = parsig_band(k, n, canvas->height);
    draw_rgbstring(canvas, colour, kParLabelX, b.top + kParLabelY, sig.name);
    auto level = [&](int p) {
      int v = p < static_cast<int>(sig.data.size()) ? sig.data[static_cast<size_t>(p)] : 0;
      return b.top + (kLevelMax - v) * b.swing / kLevelMax;
    };
    int drawn = 0;
    for (int i = 1; i < count; ++i) {
      const int p = offset + i;
      if (p > kParSamples - 1) break;
      // Long arithmetic: a wide canvas times 10 000 steps stays in range.
      const int x0 = static_cast<int>(static_cast<long long>(w - 1) * (i - 1) / count) + kParTraceLeft;
      const int x1 = static_cast<int>(static_cast<long long>(w - 1) * i / count) + kParTraceLeft;
      draw_rgbline(canvas, colour, x0, level(p - 1), x0, level(p));
      draw_rgbline(canvas, colour, x0, level(p), x1, level(p));
      ++drawn;
    }
    steps = drawn;
  }
  return steps;
}

}  // namespace kelo
