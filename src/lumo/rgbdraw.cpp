#include "lumo/rgbdraw.h"

namespace kelo {

const uint8_t kFont8x8[kFontGlyphs * kFontH] = {};

int renew_rgbbuf(DRAWABLE_INFO*, int, int) { return -1; }
void Create_RGBPalette(DRAWABLE_INFO*, const std::vector<KColor>&) {}
void draw_rgbpoint(DRAWABLE_INFO*, const KColor&, int, int) {}
int get_rgbpoint(const DRAWABLE_INFO*, KColor*, int, int) { return 0; }
void draw_rgbline(DRAWABLE_INFO*, const KColor&, int, int, int, int) {}
void draw_rgbrect(DRAWABLE_INFO*, const KColor&, int, int, int, int) {}
void draw_rgbstring(DRAWABLE_INFO*, const KColor&, int, int, std::string_view) {}
int get_strline(std::string_view, int, uint8_t*, int) { return 0; }

}  // namespace kelo
