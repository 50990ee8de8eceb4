// Menu bars from path lists, option menus, notebooks and toolbars.
//
// A whole menu bar is one list of (path, callback, type) entries in display
// order. A path beginning with '/' opens a submenu at the depth given by its
// number of slashes ("/View" on the bar, "/View/Palette" inside the View
// menu); any other path with a slash is an item of the submenu most recently
// opened at its depth ("View/Palette/Grey_Palette"); a path without a slash
// is an item on the bar itself. Only the number of slashes places an item:
// the text before the last slash is not compared with the submenu's name.
// Every item carries its path as identifier ("lumo_id"; a submenu's own item
// its path without the leading '/'), and callbacks receive (item, path).
//
// Option menus are GtkComboBoxText widgets; their items carry the item text
// as id, and the callback receives (option menu, item text).
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <utility>
#include <vector>

#include "lumo/buttons.h"

namespace kelo {

// Entry types of a menu list.
inline constexpr int kMenuCheck = 6;   // check item, callback on "toggled"
inline constexpr int kMenuRadio = 7;   // radio item, callback on "activate" of the item selected
inline constexpr int kMenuNone = 2;    // no item (inside a submenu only)
inline constexpr int kMenuButton = 4;  // plain item (any other type too)
inline constexpr int kMenuMaxDepth = 4;

struct MenuEntry {
  const char* path;  // null ends the list
  LumoCallback callback;
  int type;
};

// Builds and shows the menu bar, or returns null after writing
// "ERROR in CreateMenu: Too deep: <path>!" to standard error when a path
// has more than four slashes. An item whose depth has no open submenu yet
// is reported the same way ("ERROR in CreateMenu: No menu for: <path>!")
// and skipped. The first argument is not used. Path strings are kept by
// the items (pass string constants).
GtkWidget* Create_Menu(GtkWidget* window, const std::vector<MenuEntry>& entries);

// Number of '/' in path (0 for null).
int menu_hrchy_count(const char* path);

// One item labelled with the text after the last '/' of path, identifier
// path, callback connected when given; shown and returned.
GtkWidget* CreateMenuButton(const char* path, LumoCallback callback);
GtkWidget* CreateMenuCheck(const char* path, LumoCallback callback);
// Joins the group of the last radio item made unless new_group != 0.
GtkWidget* CreateMenuRadio(const char* path, int new_group, LumoCallback callback);
// An item of the type for the menu bar, appended to it.
GtkWidget* CreateMenuItem(GtkWidget* menubar, int type, const char* path, LumoCallback callback);
// An item for a submenu, appended to it: a null, empty or '/'-terminated
// path makes a separator, "tearoff" a tear-off item. With a null menu only
// the submenu new-group flag is set and null returned.
GtkWidget* CreateSubMenuItem(GtkWidget* menu, int type, const char* path, LumoCallback callback);
// A plain item label_path appended to parent (a menu bar or a menu) with a
// new submenu that starts with a tear-off item; returns the submenu.
GtkWidget* CreateBarSubMenu(GtkWidget* parent, const char* label_path);

// ---------------------------------------------------------------- option menus
// An option menu with the label-prefix rule ("!" none, "^" above, else
// left). Identifier: a copy of label. Item `initial` is selected and the
// callback runs once for it. Returns the label box, or the option menu for
// "!" labels.
GtkWidget* Create_Optionmenu(const char* label, LumoCallback callback, int initial,
                             const std::vector<const char*>& items);
// Replaces the items of option menu id in widget's window (or widget itself
// when id is not found) by copies of the strings; item `initial` is
// selected and the callback runs once. Returns the option menu or null.
GtkWidget* Add_Options(GtkWidget* widget, const char* id, LumoCallback callback, int initial,
                       const std::vector<std::string>& values);
// The same from one block of `count` items, item i starting at byte
// i * stride (each item ends at its first NUL or after stride bytes).
GtkWidget* Add_Options(GtkWidget* widget, const char* id, LumoCallback callback, int initial,
                       const char* block, int count, int stride);
// Selects item index and runs its callback once; from inside such a
// callback it only selects. Nothing when id is not found.
void Set_Optionsmenu(GtkWidget* widget, const char* id, int index);
// 0-based selected index; -1 when not found or empty; 0 for a null widget.
int Get_Optionsmenu(GtkWidget* widget, const char* id);
int option_menu_get_history(GtkWidget* option_menu);
// The identifier (text) of the selected item, or null.
const char* soption_menu_get_history(GtkWidget* option_menu);

// ---------------------------------------------------------------- containers
using NotebookSwitch = void (*)(GtkNotebook* notebook, GtkWidget* page, guint page_num, gpointer data);

// Pages as (tab label, page); a tree or text view page is added through its
// scrolled window. tab_position: 0 left, 1 right, 2 top, 3 bottom.
GtkWidget* Create_Notebook(NotebookSwitch switch_callback, int tab_position,
                           const std::vector<std::pair<const char*, GtkWidget*>>& pages);
// A text-only toolbar; items as (text, tooltip), ending at the first null
// text or tooltip; every item calls callback(item, text).
GtkWidget* Create_Toolbar(LumoCallback callback,
                          const std::vector<std::pair<const char*, const char*>>& items);

}  // namespace kelo
