// Top-level windows, placement and the modal dialogs.
#include "lumo/windows.h"

namespace kelo {

GtkWidget* Create_Window(GtkWidget*, int, int, const char*, void (*)(GtkWidget*)) { return nullptr; }
WND_INFO* Create_Window_Info(GtkWidget*, GtkWidget*, const char*) { return nullptr; }
void Remove_Window_Info(GtkWidget*) {}
void destroy_window(GtkWidget*) {}
void Close_Window(GtkWidget*) {}
bool place_position(int, int, int, const WndRect&, int, int, const WndRect&, const std::vector<WndRect>&,
                    int*, int*) {
  return false;
}
int overlap_rect(int, int, int, int, const WndRect&) { return 0; }
void freespace_rects(const std::vector<WndRect>&, int, int, int, int, int*, int*) {}
void place_window(GtkWidget*, int, int, int) {}
void window_get_root_size_lw(GdkWindow*, int*, int*) {}
int gdk_screen_height_lw() { return 0; }
int overlap_wndarea(int, int, int, int, GtkWidget*) { return 0; }
void freespace(GtkWidget*, int*, int*) {}
void Create_Message(const char*, const char*, ...) {}
int Create_Choice(const char*, const std::vector<const char*>&, const char*, ...) { return 0; }
int Create_Choicev(const char*, const std::vector<const char*>&, const std::string&) { return 0; }
void Close_Dialog(GtkWidget*) {}
int Get_Dialog_Ret() { return 0; }
GtkWidget* Create_Text(const char*, int) { return nullptr; }
GtkWidget* Create_Info(GtkWidget*, const char*, int, int, void (*)(GtkWidget*, const char*), GtkWidget*) {
  return nullptr;
}
void Close_Info(GtkWidget*) {}
void Clear_Text(GtkWidget*) {}
void Add_Text(GtkWidget*, int, const char*, ...) {}
GtkWidget* Create_Oneliner(const char*, const char*) { return nullptr; }
GtkWidget* Create_Progress(GtkWidget*, const char*, int) { return nullptr; }
int Update_Progress(GtkWidget*, int, int) { return 1; }
int Get_Progress_state(GtkWidget*) { return 1; }
void Cancel_Progress(GtkWidget*) {}
void Abort_Progress(GtkWidget*) {}
void Close_Progress(GtkWidget*) {}
std::string progress_remaining_text(long, int) { return {}; }

}  // namespace kelo
