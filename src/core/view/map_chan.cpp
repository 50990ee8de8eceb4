#include "core/view/map_chan.h"

#include "core/view/hrpt_calcs.h"

namespace kelo {

namespace {

// The NOAA satellites from 15 on carry the AVHRR/3 whose channel 3A sees
// reflected sunlight: red from 3, green from 2, blue from 1 gives natural
// colour. Older AVHRRs use the thermal channel 4 for blue.
constexpr int kFirstAvhrr3Sat = 15;

// FengYun MVISR detectors of channels 7, 9 and 10 sit a few samples off the
// others; channel 7 also leans across the line.
constexpr int kChrptShift7 = -3;
constexpr int kChrptShift9 = -3;
constexpr int kChrptShift10 = -2;
constexpr int kChrptTilt7 = 4;

void set_mix(VIEW_INFO* view, int red_ch, float red_w, int green_ch, float green_w, int blue_ch,
             float blue_w) {
  view->map_wr[red_ch] = red_w;
  view->map_wg[green_ch] = green_w;
  view->map_wb[blue_ch] = blue_w;
  view->map_used[red_ch] = 1;
  view->map_used[green_ch] = 1;
  view->map_used[blue_ch] = 1;
}

}  // namespace

int mapchan_auto_color(const PIC_INFO* pic, VIEW_INFO* view) {
  if (pic == nullptr || view == nullptr) return 1;
  for (int n = 1; n <= kMaxChannels; n++) {
    view->map_wr[n] = 0;
    view->map_wg[n] = 0;
    view->map_wb[n] = 0;
  }
  switch (pic->file_type) {
    case kKindCHRPT:
      set_mix(view, 1, 1.0f, 2, 1.0f, 7, 0.5f);
      return 0;
    case kKindHRPT:
      if (sat_number(pic->sat_name) >= kFirstAvhrr3Sat)
        set_mix(view, 3, 1.0f, 2, 1.0f, 1, 1.0f);
      else
        set_mix(view, 1, 1.0f, 2, 1.0f, 4, 1.0f);
      return 0;
    case kKindSeaStar:
      set_mix(view, 6, 1.0f, 5, 1.0f, 2, 1.0f);
      return 0;
    default:
      return 1;
  }
}

void mapchan_reset_align(VIEW_INFO* view) {
  if (view == nullptr) return;
  for (int n = 0; n <= kMaxChannels; n++) {
    view->hshift[n] = 0;
    view->vshift[n] = 0;
    view->tilt[n] = 0;
  }
}

void mapchan_auto_align(const PIC_INFO* pic, VIEW_INFO* view) {
  if (view == nullptr) return;
  mapchan_reset_align(view);
  if (pic == nullptr || pic->file_type != kKindCHRPT) return;
  view->hshift[7] = kChrptShift7;
  view->hshift[9] = kChrptShift9;
  view->hshift[10] = kChrptShift10;
  view->tilt[7] = kChrptTilt7;
}

}  // namespace kelo
