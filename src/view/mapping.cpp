#include "view/mapping.h"

namespace kelo {

int map_pic(WindowHandle, PIC_INFO*, VIEW_INFO*, int, std::vector<int>*, std::vector<int>*,
            std::vector<int>*) {
  return -1;
}
int map_pic_canvas(DRAWABLE_INFO*, PIC_INFO*, VIEW_INFO*, int, std::vector<int>*, std::vector<int>*,
                   std::vector<int>*) {
  return -1;
}
int map_xy(int, int, int, PIC_INFO*, VIEW_INFO*, std::vector<int>*, std::vector<int>*) { return 1; }
int mk_lummap(VIEW_INFO*, int, int, std::vector<int>*) { return 3; }
int scrx2picx(int, VIEW_INFO*, PIC_INFO*) { return 0; }
int scry2picy(int, const VIEW_INFO*, const PIC_INFO*) { return 0; }
int picx2scrx(int, const VIEW_INFO*, const PIC_INFO*) { return 0; }
int picy2scry(int, const VIEW_INFO*, const PIC_INFO*) { return 0; }
const std::vector<int>* mk_lintbl(PIC_INFO*, VIEW_INFO*) { return nullptr; }
std::vector<KColor> std_palette(const PIC_INFO*) { return {}; }
std::vector<KColor> extra_palette() { return {}; }
void load_std_palette(DRAWABLE_INFO*, const PIC_INFO*) {}
void load_std_palette(WindowHandle, const PIC_INFO*) {}
void draw_a_line_bw(const uint16_t*, int, int, int, const int*, const int*, int, DRAWABLE_INFO*, VIEW_INFO*) {
}
void draw_a_line_rgb(const uint16_t*, const uint16_t*, const uint16_t*, int, int, int, const int*, const int*,
                     DRAWABLE_INFO*, VIEW_INFO*) {}
void draw_a_line_func(const uint16_t*, int, int, int, const int*, const int*, DRAWABLE_INFO*, VIEW_INFO*,
                      PixFunc) {}
void draw_grid(const uint8_t*, int, int, int, const int*, DRAWABLE_INFO*, const VIEW_INFO*) {}
int map_temp(int, const int*, int*, int*, int*) { return 0; }
int inv_maptemp(const KColor&, const VIEW_INFO*, int) { return 0; }

}  // namespace kelo
