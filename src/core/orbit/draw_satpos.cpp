#include "core/orbit/draw_satpos.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include "core/base/misc.h"
#include "core/orbit/calc_satpos.h"
#include "core/view/mapping.h"

namespace kelo {

namespace {

constexpr double kPi = 3.1415926;  // the station's value of pi
constexpr double kRad2Deg = 180.0 / kPi;
constexpr int kSampleStep = 5;     // positions computed every 5 columns, interpolated between
constexpr int kGridDivisions = 8;  // about eight grid lines across the picture
constexpr int kMaxChannelValue = 255;
const KColor kLabelColour{255, 255, 255};

// Position of canvas pixel (sx, sy) in degrees; false without line timing.
bool lonlat_deg(int sx, int sy, PIC_INFO* pic, VIEW_INFO* view, POSITION* out) {
  POSITION p;
  if (!xy2lonlat(scrx2picx(sx, view, pic), scry2picy(sy, view, pic), pic, &p)) return false;
  out->lon = static_cast<float>(p.lon * kRad2Deg);
  out->lat = static_cast<float>(p.lat * kRad2Deg);
  return true;
}

// The grid decision towards one neighbour (longitude or latitude values).
bool quiet(float cur, float other, int step) {
  const int L = static_cast<int>(cur);
  const int Lo = static_cast<int>(other);
  const bool same_sign = (cur < 0.0f) == (other < 0.0f);
  return (L == Lo || std::max(std::abs(L), std::abs(Lo)) % step != 0) && same_sign;
}

}  // namespace

int grid_step(int dmin, int dmax) {
  int step = std::abs(dmax - dmin) / kGridDivisions;
  if (step < 1) step = 1;
  if (step > 2) step = 5;
  return step;
}

void Draw_Lonlatpix(int x, int y, const POSITION* cur, const POSITION* left, const POSITION* up, int lon_step,
                    int lat_step, DRAWABLE_INFO* rgb, const KColor& colour) {
  if (!cur || !left || !up || lon_step < 1 || lat_step < 1) return;
  char label[16];
  if (!(quiet(cur->lon, left->lon, lon_step) && quiet(cur->lon, up->lon, lon_step))) {
    draw_rgbpoint(rgb, colour, x, y);
    if (y == 1) {
      std::snprintf(label, sizeof label, "%d", nint(cur->lon));
      draw_rgbstring(rgb, kLabelColour, x + 3, 6, label);
    }
  }
  if (!(quiet(cur->lat, left->lat, lat_step) && quiet(cur->lat, up->lat, lat_step))) {
    draw_rgbpoint(rgb, colour, x, y);
    if (x == 1) {
      std::snprintf(label, sizeof label, "%d", nint(cur->lat));
      draw_rgbstring(rgb, kLabelColour, 8, y + 5, label);
    }
  }
}

int draw_lonlat_canvas(PIC_INFO* pic, VIEW_INFO* view, DRAWABLE_INFO* canvas, PassListener* listener) {
  if (!pic || !view || !pic->orbit.valid) return 0;
  if (!canvas || canvas->rgb_buf.empty() || canvas->width < 1 || canvas->height < 1) return 0;
  const int W = canvas->width;
  const int H = canvas->height;

  // Grid steps from the span of the four corners.
  int lonmin = 9999, lonmax = -9999, latmin = 9999, latmax = -9999;
  for (const int sx : {0, W - 1}) {
    for (const int sy : {0, H - 1}) {
      POSITION p;
      if (!lonlat_deg(sx, sy, pic, view, &p)) return 0;  // no line timing: no grid
      lonmin = std::min(lonmin, static_cast<int>(p.lon));
      lonmax = std::max(lonmax, static_cast<int>(p.lon));
      latmin = std::min(latmin, static_cast<int>(p.lat));
      latmax = std::max(latmax, static_cast<int>(p.lat));
    }
  }
  const int lon_step = grid_step(lonmin, lonmax);
  const int lat_step = grid_step(latmin, latmax);
  const KColor colour{view->grid_rgb[0], view->grid_rgb[1], view->grid_rgb[2]};

  std::vector<POSITION> row;
  try {
    row.assign(static_cast<size_t>(W), POSITION{});
  } catch (const std::bad_alloc&) {
    return 0;
  }
  for (int y = 0; y < H - 1; ++y) {
    if (listener && listener->stop_requested()) break;
    POSITION prev, left;
    for (int x = 0; x < W + kSampleStep - 1; x += kSampleStep) {
      POSITION cur;
      lonlat_deg(x, y, pic, view, &cur);
      if (x != 0) {
        // Interpolate the shorter way round, so a row across the date line
        // does not sweep through every meridian between +180 and -180.
        float dlon = cur.lon - prev.lon;
        if (dlon > 180.0f) dlon -= 360.0f;
        if (dlon < -180.0f) dlon += 360.0f;
        for (int v = x - kSampleStep; v < x && v < W; ++v) {
          POSITION pv;
          const float f = static_cast<float>(v - x + kSampleStep) / static_cast<float>(kSampleStep);
          pv.lon = prev.lon + f * dlon;
          if (pv.lon > 180.0f) pv.lon -= 360.0f;
          if (pv.lon < -180.0f) pv.lon += 360.0f;
          pv.lat = prev.lat + f * (cur.lat - prev.lat);
          const POSITION up = row[static_cast<size_t>(v)];
          row[static_cast<size_t>(v)] = pv;
          if (v > 0 && y > 0) Draw_Lonlatpix(v, y, &pv, &left, &up, lon_step, lat_step, canvas, colour);
          left = pv;
        }
      }
      prev = cur;
    }
    if (listener) listener->rows_drawn(y, 1);
  }
  return 1;
}

COORD_TEXT coord_values(const DRAWABLE_INFO* canvas, int sx, int sy, PIC_INFO* pic, VIEW_INFO* view) {
  COORD_TEXT out;
  if (!pic || !view) return out;
  char buf[64];
  const int px = scrx2picx(sx, view, pic);
  const int py = scry2picy(sy, view, pic);
  POSITION p;
  if (pic->orbit.valid && xy2lonlat(px, py, pic, &p) && !view->show_xy)
    std::snprintf(buf, sizeof buf, "%5.2f,%5.2f", p.lon * kRad2Deg, p.lat * kRad2Deg);
  else
    std::snprintf(buf, sizeof buf, "[x=%d,y=%d]", px, py);
  out.position = buf;

  KColor c;
  get_rgbpoint(canvas, &c, sx, sy);
  const bool ir = view->chan_sel[3] || view->chan_sel[4] || view->chan_sel[5];
  if (ir && view->temperature) {
    std::snprintf(buf, sizeof buf, "%d C", inv_maptemp(c, view, canvas ? canvas->n_colors : 0));
  } else {
    const int v = (c.red + c.green + c.blue) / 3;
    const int lmin = view->lmin, lmax = view->lmax;
    const double g = view->gamma;
    long long value;
    // Gamma 0 draws the linear map as well, so it reads back linearly.
    if (g == 1.0 || g == 0.0 || !std::isfinite(g)) {
      value = lmin + static_cast<long long>(lmax - lmin) * v / kMaxChannelValue;
    } else {
      const double a = std::pow(static_cast<double>(lmin), 1.0 / g);
      const double b = std::pow(static_cast<double>(lmax), 1.0 / g);
      const double r = std::pow(a + (b - a) * v / kMaxChannelValue, g);
      value = std::isfinite(r) ? static_cast<long long>(r) : 0;
    }
    std::snprintf(buf, sizeof buf, "%lld", value);
  }
  out.pixel = buf;
  return out;
}
}  // namespace kelo
