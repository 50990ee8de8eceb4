// Widget identifiers and lookup of the GUI layer.
#include "lumo/lumo_misc.h"

namespace kelo {

GtkWidget* Find_Widget1(GtkWidget*, const char*, int) { return nullptr; }
GtkWidget* Find_Local_Widget(GtkWidget*, const char*) { return nullptr; }
GtkWidget* Find_Top_Widget(GtkWidget*, const char*) { return nullptr; }
GtkWidget* Find_Widget(GtkWidget*, const char*) { return nullptr; }
GtkWidget* Find_cw_Widget(GtkWidget*, const char*) { return nullptr; }
GtkWidget* Find_aw_Widget(GtkWidget*, const char*) { return nullptr; }
GtkWidget* Find_iw_Widget(GtkWidget*, const char*, const char*) { return nullptr; }
GtkWidget* Find_Parent_Window(gpointer) { return nullptr; }
GtkWidget* Find_Window(GtkWidget*, const char*) { return nullptr; }
GtkWidget* First_window(GtkWidget*) { return nullptr; }
GtkWidget* Next_window(GtkWidget*) { return nullptr; }
WND_INFO* Get_Window_Info(GtkWidget*) { return nullptr; }
int Remove_Widget(GtkWidget*, const char*) { return 0; }
int Deselect_Clist(GtkWidget*, const char*, const char*) { return 0; }
cairo_surface_t* Get_Pixmap(GtkWidget*) { return nullptr; }
void Put_Pixmap(GtkWidget*, cairo_surface_t*) {}
void* Get_Gc(GtkWidget*) { return nullptr; }
DRAWABLE_INFO* Get_RGBI(GtkWidget*) { return nullptr; }
DRAWABLE_INFO* Set_Enable_Update(GtkWidget*, int) { return nullptr; }
int Get_Enable_Update(GtkWidget*) { return 0; }
void window_toggle_size(GtkWidget*) {}
void window_get_border_size(GdkWindow*, int*, int*) {}
void window_get_root_size(GdkWindow*, int*, int*) {}
LumoStyle Create_RcStyle(int, const LumoColor*, const LumoColor*, const LumoColor*, const LumoColor*,
                         const LumoColor*) {
  return {};
}
std::string lumo_style_css(const LumoStyle&) { return {}; }
void Set_Color(GtkWidget*, int, const LumoColor*, const LumoColor*, const LumoColor*, const LumoColor*,
               const LumoColor*) {}
void Set_Widgetcolor(GtkWidget*, char, int, int, int) {}
void Set_Buttoncolor(GtkWidget*, int) {}
LumoColor rgb12_color(int, int) { return {}; }
int set_fontsize(int) { return 0; }
PangoFontDescription* get_font(int) { return nullptr; }
GdkCursor* Create_Cursor(GtkWidget*, int) { return nullptr; }
int CheckKeyPressed(guint) { return 0; }
std::string get_path(const char*) { return {}; }
float float32_from_le(float x) { return x; }
float float32_to_le(float x) { return x; }

}  // namespace kelo
