// Menu bars from path lists, option menus, notebooks and toolbars.
#include "lumo/menus.h"

#include <cstdio>
#include <cstring>

#include "lumo/lumo_misc.h"

namespace kelo {

namespace {

// A menu command: the callback and the path it is called with (the caller's
// string, kept as the item's identifier too).
struct MenuHook {
  LumoCallback cb;
  const char* path;
};

void free_menu_hook(gpointer data, GClosure*) { delete static_cast<MenuHook*>(data); }

void on_menu_command(GtkWidget* w, gpointer data) {
  auto* h = static_cast<MenuHook*>(data);
  h->cb(w, h->path);
}

// A radio item that another item of its group switches off is activated too;
// only the item that ends up selected runs its command.
void on_radio_command(GtkWidget* w, gpointer data) {
  if (gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(w))) on_menu_command(w, data);
}

void connect_menu(GtkWidget* item, const char* signal, LumoCallback cb, const char* path) {
  if (cb == nullptr) return;
  GCallback handler =
      GTK_IS_RADIO_MENU_ITEM(item) ? G_CALLBACK(on_radio_command) : G_CALLBACK(on_menu_command);
  g_signal_connect_data(item, signal, handler, new MenuHook{cb, path}, free_menu_hook, GConnectFlags(0));
}

// The text after the last '/' (the whole path when it has none).
const char* item_label(const char* path) {
  if (path == nullptr) return "";
  const char* slash = std::strrchr(path, '/');
  return slash != nullptr ? slash + 1 : path;
}

void set_path_id(GtkWidget* item, const char* path) {
  g_object_set_data(G_OBJECT(item), kKeyId, const_cast<char*>(path));
}

// Radio grouping: the last radio item made (weak: cleared when it goes) and
// the new-group flags of submenus and of the bar.
GtkWidget* g_last_radio = nullptr;
int g_sub_new_group = 1;
int g_bar_new_group = 1;

void remember_radio(GtkWidget* item) {
  if (g_last_radio != nullptr) g_object_remove_weak_pointer(G_OBJECT(g_last_radio), (gpointer*)&g_last_radio);
  g_last_radio = item;
  if (item != nullptr) g_object_add_weak_pointer(G_OBJECT(item), (gpointer*)&g_last_radio);
}

GtkWidget* make_item(int type, const char* path, LumoCallback callback, int* new_group_flag) {
  GtkWidget* item = nullptr;
  if (type == kMenuCheck) {
    item = CreateMenuCheck(path, callback);
    *new_group_flag = 1;
  } else if (type == kMenuRadio) {
    item = CreateMenuRadio(path, *new_group_flag, callback);
    *new_group_flag = 0;
  } else {
    item = CreateMenuButton(path, callback);
    *new_group_flag = 1;
  }
  return item;
}

GtkWidget* tearoff_item() {
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  GtkWidget* t = gtk_tearoff_menu_item_new();
  G_GNUC_END_IGNORE_DEPRECATIONS
  gtk_widget_show(t);
  return t;
}

// ---------------------------------------------------------------- option menus
constexpr const char* kKeyOptionHook = "lumo_option_cb";  // OptionHook* of an option menu

struct OptionHook {
  LumoCallback cb = nullptr;
};

int g_option_setting = 0;  // > 0 while Set_Optionsmenu runs an item's callback

void run_option(GtkWidget* combo) {
  auto* h = static_cast<OptionHook*>(g_object_get_data(G_OBJECT(combo), kKeyOptionHook));
  const char* item = gtk_combo_box_get_active_id(GTK_COMBO_BOX(combo));
  if (h != nullptr && h->cb != nullptr && item != nullptr) h->cb(combo, item);
}

void on_option_changed(GtkComboBox* combo, gpointer) { run_option(GTK_WIDGET(combo)); }

// Selects index without running the callback.
void select_quietly(GtkWidget* combo, int index) {
  g_signal_handlers_block_by_func(combo, (gpointer)on_option_changed, nullptr);
  gtk_combo_box_set_active(GTK_COMBO_BOX(combo), index);
  g_signal_handlers_unblock_by_func(combo, (gpointer)on_option_changed, nullptr);
}

int item_count(GtkWidget* combo) {
  GtkTreeModel* model = gtk_combo_box_get_model(GTK_COMBO_BOX(combo));
  return model != nullptr ? gtk_tree_model_iter_n_children(model, nullptr) : 0;
}

// Selects item index and runs the callback once for it (nothing for an
// index that names no item).
void select_and_run(GtkWidget* combo, int index) {
  if (index < 0 || index >= item_count(combo)) return;
  select_quietly(combo, index);
  run_option(combo);
}

GtkWidget* option_widget(GtkWidget* widget, const char* id) {
  GtkWidget* w = Find_Widget(widget, id);
  return (w != nullptr && GTK_IS_COMBO_BOX_TEXT(w)) ? w : nullptr;
}

void set_option_callback(GtkWidget* combo, LumoCallback callback) {
  auto* h = static_cast<OptionHook*>(g_object_get_data(G_OBJECT(combo), kKeyOptionHook));
  if (h == nullptr) {
    h = new OptionHook;
    g_object_set_data_full(G_OBJECT(combo), kKeyOptionHook, h,
                           [](gpointer p) { delete static_cast<OptionHook*>(p); });
    g_signal_connect(combo, "changed", G_CALLBACK(on_option_changed), nullptr);
  }
  h->cb = callback;
}

GtkWidget* replace_options(GtkWidget* combo, LumoCallback callback, int initial,
                           const std::vector<std::string>& values) {
  select_quietly(combo, -1);
  g_signal_handlers_block_by_func(combo, (gpointer)on_option_changed, nullptr);
  gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(combo));
  for (const std::string& v : values)
    gtk_combo_box_text_append(GTK_COMBO_BOX_TEXT(combo), v.c_str(), v.c_str());
  g_signal_handlers_unblock_by_func(combo, (gpointer)on_option_changed, nullptr);
  set_option_callback(combo, callback);
  select_and_run(combo, initial);
  return combo;
}

void on_tool_clicked(GtkToolButton* button, gpointer data) {
  auto* h = static_cast<MenuHook*>(data);
  h->cb(GTK_WIDGET(button), h->path);
}

}  // namespace

int menu_hrchy_count(const char* path) {
  if (path == nullptr) return 0;
  int n = 0;
  for (const char* p = path; *p != '\0'; ++p) n += (*p == '/') ? 1 : 0;
  return n;
}

GtkWidget* CreateMenuButton(const char* path, LumoCallback callback) {
  GtkWidget* item = gtk_menu_item_new_with_label(item_label(path));
  set_path_id(item, path);
  connect_menu(item, "activate", callback, path);
  gtk_widget_show(item);
  return item;
}

GtkWidget* CreateMenuCheck(const char* path, LumoCallback callback) {
  GtkWidget* item = gtk_check_menu_item_new_with_label(item_label(path));
  set_path_id(item, path);
  connect_menu(item, "toggled", callback, path);
  gtk_widget_show(item);
  return item;
}

GtkWidget* CreateMenuRadio(const char* path, int new_group, LumoCallback callback) {
  GtkWidget* item;
  if (new_group != 0 || g_last_radio == nullptr) {
    item = gtk_radio_menu_item_new_with_label(nullptr, item_label(path));
  } else {
    item =
        gtk_radio_menu_item_new_with_label_from_widget(GTK_RADIO_MENU_ITEM(g_last_radio), item_label(path));
  }
  remember_radio(item);
  set_path_id(item, path);
  connect_menu(item, "activate", callback, path);
  gtk_widget_show(item);
  return item;
}

GtkWidget* CreateMenuItem(GtkWidget* menubar, int type, const char* path, LumoCallback callback) {
  GtkWidget* item = make_item(type, path, callback, &g_bar_new_group);
  if (menubar != nullptr) gtk_menu_shell_append(GTK_MENU_SHELL(menubar), item);
  return item;
}

GtkWidget* CreateSubMenuItem(GtkWidget* menu, int type, const char* path, LumoCallback callback) {
  if (menu == nullptr) {
    g_sub_new_group = 1;
    return nullptr;
  }
  GtkWidget* item = nullptr;
  size_t len = path != nullptr ? std::strlen(path) : 0;
  if (len == 0 || path[len - 1] == '/') {
    item = gtk_separator_menu_item_new();  // a line, no identifier, no callback
    gtk_widget_show(item);
    g_sub_new_group = 1;
  } else if (std::strcmp(path, "tearoff") == 0) {
    item = tearoff_item();
    g_sub_new_group = 1;
  } else if (type == kMenuNone) {
    g_sub_new_group = 1;
    return nullptr;
  } else {
    item = make_item(type, path, callback, &g_sub_new_group);
  }
  gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
  return item;
}

GtkWidget* CreateBarSubMenu(GtkWidget* parent, const char* label_path) {
  GtkWidget* item = CreateMenuButton(label_path, nullptr);
  if (parent != nullptr) gtk_menu_shell_append(GTK_MENU_SHELL(parent), item);
  GtkWidget* menu = gtk_menu_new();
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), menu);
  gtk_menu_shell_append(GTK_MENU_SHELL(menu), tearoff_item());
  g_sub_new_group = 1;  // the tear-off begins a new radio group
  return menu;
}

GtkWidget* Create_Menu(GtkWidget* /*window*/, const std::vector<MenuEntry>& entries) {
  GtkWidget* menubar = gtk_menu_bar_new();
  gtk_widget_show(menubar);
  GtkWidget* level[kMenuMaxDepth + 1] = {menubar, nullptr, nullptr, nullptr, nullptr};
  for (const MenuEntry& e : entries) {
    if (e.path == nullptr) break;
    int depth = menu_hrchy_count(e.path);
    if (depth > kMenuMaxDepth) {
      std::fprintf(stderr, "ERROR in CreateMenu: Too deep: %s!\n", e.path);
      g_object_ref_sink(menubar);  // not packed anywhere: release it here
      gtk_widget_destroy(menubar);
      g_object_unref(menubar);
      return nullptr;
    }
    if (e.path[0] == '/') {
      if (level[depth - 1] == nullptr) {
        std::fprintf(stderr, "ERROR in CreateMenu: No menu for: %s!\n", e.path);
        continue;
      }
      level[depth] = CreateBarSubMenu(level[depth - 1], e.path + 1);
    } else if (depth > 0) {
      if (level[depth] == nullptr) {
        std::fprintf(stderr, "ERROR in CreateMenu: No menu for: %s!\n", e.path);
        continue;
      }
      CreateSubMenuItem(level[depth], e.type, e.path, e.callback);
    } else {
      CreateMenuItem(menubar, e.type, e.path, e.callback);
    }
  }
  return menubar;
}

// ---------------------------------------------------------------- option menus
GtkWidget* Create_Optionmenu(const char* label, LumoCallback callback, int initial,
                             const std::vector<const char*>& items) {
  GtkWidget* combo = gtk_combo_box_text_new();
  if (label != nullptr) g_object_set_data_full(G_OBJECT(combo), kKeyId, g_strdup(label), g_free);
  for (const char* item : items) {
    if (item == nullptr) break;
    gtk_combo_box_text_append(GTK_COMBO_BOX_TEXT(combo), item, item);
  }
  set_option_callback(combo, callback);
  gtk_widget_show(combo);
  select_and_run(combo, initial);
  return label_prefix_box(label, combo);
}

GtkWidget* Add_Options(GtkWidget* widget, const char* id, LumoCallback callback, int initial,
                       const std::vector<std::string>& values) {
  GtkWidget* combo = option_widget(widget, id);
  if (combo == nullptr && widget != nullptr && GTK_IS_COMBO_BOX_TEXT(widget)) combo = widget;
  if (combo == nullptr) return nullptr;
  return replace_options(combo, callback, initial, values);
}

GtkWidget* Add_Options(GtkWidget* widget, const char* id, LumoCallback callback, int initial,
                       const char* block, int count, int stride) {
  std::vector<std::string> values;
  if (block != nullptr && count > 0 && stride > 0) {
    values.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      const char* item = block + static_cast<size_t>(i) * static_cast<size_t>(stride);
      values.emplace_back(item, strnlen(item, static_cast<size_t>(stride)));
    }
  }
  return Add_Options(widget, id, callback, initial, values);
}

void Set_Optionsmenu(GtkWidget* widget, const char* id, int index) {
  GtkWidget* combo = option_widget(widget, id);
  if (combo == nullptr) return;
  if (g_option_setting > 0) {
    select_quietly(combo, index);
    return;
  }
  ++g_option_setting;
  select_and_run(combo, index);
  --g_option_setting;
}

int Get_Optionsmenu(GtkWidget* widget, const char* id) {
  if (widget == nullptr) return 0;
  return option_menu_get_history(option_widget(widget, id));
}

int option_menu_get_history(GtkWidget* option_menu) {
  if (option_menu == nullptr || !GTK_IS_COMBO_BOX(option_menu)) return -1;
  return gtk_combo_box_get_active(GTK_COMBO_BOX(option_menu));
}

const char* soption_menu_get_history(GtkWidget* option_menu) {
  if (option_menu == nullptr || !GTK_IS_COMBO_BOX(option_menu)) return nullptr;
  return gtk_combo_box_get_active_id(GTK_COMBO_BOX(option_menu));
}

// ---------------------------------------------------------------- containers
GtkWidget* Create_Notebook(NotebookSwitch switch_callback, int tab_position,
                           const std::vector<std::pair<const char*, GtkWidget*>>& pages) {
  GtkWidget* nb = gtk_notebook_new();
  gtk_notebook_set_tab_pos(GTK_NOTEBOOK(nb), static_cast<GtkPositionType>(tab_position & 3));
  for (const auto& [label, page] : pages) {
    if (page == nullptr) continue;
    GtkWidget* w = page;
    if ((GTK_IS_TREE_VIEW(w) || GTK_IS_TEXT_VIEW(w)) && gtk_widget_get_parent(w) != nullptr) {
      w = gtk_widget_get_parent(w);
    }
    gtk_notebook_append_page(GTK_NOTEBOOK(nb), w, gtk_label_new(label != nullptr ? label : ""));
  }
  if (switch_callback != nullptr) g_signal_connect(nb, "switch-page", G_CALLBACK(switch_callback), nullptr);
  gtk_widget_show_all(nb);
  return nb;
}

GtkWidget* Create_Toolbar(LumoCallback callback,
                          const std::vector<std::pair<const char*, const char*>>& items) {
  GtkWidget* bar = gtk_toolbar_new();
  gtk_orientable_set_orientation(GTK_ORIENTABLE(bar), GTK_ORIENTATION_HORIZONTAL);
  gtk_toolbar_set_style(GTK_TOOLBAR(bar), GTK_TOOLBAR_TEXT);
  for (const auto& [text, tip] : items) {
    if (text == nullptr || tip == nullptr) break;
    GtkToolItem* b = gtk_tool_button_new(nullptr, text);
    gtk_tool_item_set_tooltip_text(b, tip);
    g_object_set_data(G_OBJECT(b), kKeyId, const_cast<char*>(text));
    if (callback != nullptr) {
      g_signal_connect_data(b, "clicked", G_CALLBACK(on_tool_clicked), new MenuHook{callback, text},
                            free_menu_hook, GConnectFlags(0));
    }
    gtk_toolbar_insert(GTK_TOOLBAR(bar), b, -1);
    gtk_widget_show(GTK_WIDGET(b));
  }
  gtk_widget_show(bar);
  return bar;
}

}  // namespace kelo
