#include "lumo/canvas.h"

namespace kelo {

GtkWidget* Create_Drawable(int, int, ConfigureCallback, ButtonCallback, MotionCallback) { return nullptr; }
GtkWidget* Create_Canvas(GtkWidget*, int, int, ConfigureCallback, KeyCallback, ButtonCallback,
                         MotionCallback) {
  return nullptr;
}
void Add_Mouse_events(GtkWidget*, ButtonCallback, MotionCallback) {}
int Renew_RGBBuf(GtkWidget*) { return 0; }
void Renew_Pixmap(GtkWidget*, int) {}
void Create_GCPalette(GtkWidget*, const std::vector<KColor>&) {}
const std::vector<KColor>* Get_GCPalette(GtkWidget*) { return nullptr; }
gboolean expose_event(GtkWidget*, cairo_t*, gpointer) { return FALSE; }
void Refresh_Rect(GtkWidget*, int, int, int, int) {}
void draw_rgbmap(GtkWidget*, const uint8_t*, int, int, int, int) {}
GtkWidget* canvas_drawing_area(GtkWidget*) { return nullptr; }

}  // namespace kelo
