#include "lumo/menus.h"

namespace kelo {

GtkWidget* Create_Menu(GtkWidget*, const std::vector<MenuEntry>&) { return nullptr; }
int menu_hrchy_count(const char*) { return 0; }
GtkWidget* CreateMenuButton(const char*, LumoCallback) { return nullptr; }
GtkWidget* CreateMenuCheck(const char*, LumoCallback) { return nullptr; }
GtkWidget* CreateMenuRadio(const char*, int, LumoCallback) { return nullptr; }
GtkWidget* CreateMenuItem(GtkWidget*, int, const char*, LumoCallback) { return nullptr; }
GtkWidget* CreateSubMenuItem(GtkWidget*, int, const char*, LumoCallback) { return nullptr; }
GtkWidget* CreateBarSubMenu(GtkWidget*, const char*) { return nullptr; }
GtkWidget* Create_Optionmenu(const char*, LumoCallback, int, const std::vector<const char*>&) {
  return nullptr;
}
GtkWidget* Add_Options(GtkWidget*, const char*, LumoCallback, int, const std::vector<std::string>&) {
  return nullptr;
}
GtkWidget* Add_Options(GtkWidget*, const char*, LumoCallback, int, const char*, int, int) { return nullptr; }
void Set_Optionsmenu(GtkWidget*, const char*, int) {}
int Get_Optionsmenu(GtkWidget*, const char*) { return -1; }
int option_menu_get_history(GtkWidget*) { return -1; }
const char* soption_menu_get_history(GtkWidget*) { return nullptr; }
GtkWidget* Create_Notebook(NotebookSwitch, int, const std::vector<std::pair<const char*, GtkWidget*>>&) {
  return nullptr;
}
GtkWidget* Create_Toolbar(LumoCallback, const std::vector<std::pair<const char*, const char*>>&) {
  return nullptr;
}

}  // namespace kelo
