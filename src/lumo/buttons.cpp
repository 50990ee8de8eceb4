// Buttons, entries, LEDs and button arrays.
#include "lumo/buttons.h"

namespace kelo {

const char* Add_WidgetID(GtkWidget*, const char*) { return nullptr; }
GtkWidget* Create_Label(const char*, ...) { return nullptr; }
GtkWidget* Create_Button(const char*, LumoCallback) { return nullptr; }
GtkWidget* Create_Check(const char*, LumoCallback, int) { return nullptr; }
GtkWidget* Create_Toggle(const char*, LumoCallback, int) { return nullptr; }
int Update_Togglelabel(GtkWidget*) { return 0; }
GtkWidget* Create_Radio(const char*, int, LumoCallback) { return nullptr; }
GtkWidget* Create_Entry(const char*, LumoCallback, const char*, ...) { return nullptr; }
GtkWidget* Create_Entryv(const char*, LumoCallback, const std::string&) { return nullptr; }
GtkWidget* label_prefix_box(const char*, GtkWidget*) { return nullptr; }
GtkWidget* Create_Led(const char*, int) { return nullptr; }
void Set_Led(GtkWidget*, const char*, int) {}
GtkWidget* ButtonArrayList(const char*, LumoCallback, int, const std::vector<BaArg>&) { return nullptr; }
std::string format_ba_args(const char*, const std::vector<BaArg>&, size_t*, size_t) { return {}; }
int Set_Button(GtkWidget*, const char*, int) { return 0; }
int Set_Local_Button(GtkWidget*, const char*, int) { return 0; }
void Set_All_Buttons(GtkWidget*, int) {}
int Get_Button(GtkWidget*, const char*) { return 0; }
int Get_Local_Button(GtkWidget*, const char*) { return 0; }
int Sense_Button(GtkWidget*, const char*, int) { return 0; }
int Show_Button(GtkWidget*, const char*, int) { return 0; }
int Set_Entry(GtkWidget*, const char*, const char*, ...) { return 0; }
int Set_Entry1(GtkWidget*, const char*, const char*) { return 0; }
const char* Get_Entry(GtkWidget*, const char*) { return nullptr; }
std::string toggle_text(const char*, bool) { return {}; }
bool is_two_state_label(const char*) { return false; }

}  // namespace kelo
