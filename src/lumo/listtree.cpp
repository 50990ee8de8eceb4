// Column lists on GtkTreeView + GtkListStore, with the row callbacks of the
// station's list handlers.
#include "lumo/listtree.h"

#include "lumo/lumo_misc.h"

namespace kelo {

namespace {

constexpr const char* kKeyClist = "lumo_clist";         // ClistState* of a list
constexpr const char* kKeyColumnIndex = "lumo_column";  // index of a tree view column

struct ClistState {
  ClistRowCallback select_cb = nullptr;
  ClistRowCallback unselect_cb = nullptr;
  ClistColumnCallback column_cb = nullptr;
  int columns = 0;
  int selected = -1;  // the row last reported selected
  int quiet = 0;      // > 0 while the list itself empties the store
};

GtkWidget* as_list(GtkWidget* w) {
  if (w == nullptr) return nullptr;
  if (GTK_IS_TREE_VIEW(w)) return w;
  if (GTK_IS_SCROLLED_WINDOW(w)) {
    GtkWidget* child = gtk_bin_get_child(GTK_BIN(w));
    if (child != nullptr && GTK_IS_TREE_VIEW(child)) return child;
  }
  return nullptr;
}

ClistState* state_of(GtkWidget* list) {
  return list != nullptr ? static_cast<ClistState*>(g_object_get_data(G_OBJECT(list), kKeyClist)) : nullptr;
}

GtkListStore* store_of(GtkWidget* list) {
  GtkTreeModel* m = gtk_tree_view_get_model(GTK_TREE_VIEW(list));
  return (m != nullptr && GTK_IS_LIST_STORE(m)) ? GTK_LIST_STORE(m) : nullptr;
}

int row_of_path(GtkTreePath* path) {
  if (path == nullptr || gtk_tree_path_get_depth(path) < 1) return -1;
  return gtk_tree_path_get_indices(path)[0];
}

int column_index(GtkTreeViewColumn* column) {
  return column != nullptr ? GPOINTER_TO_INT(g_object_get_data(G_OBJECT(column), kKeyColumnIndex)) : 0;
}

// The column under a button event of the list, 0 when not known.
int event_column(GtkWidget* list, const GdkEvent* event) {
  if (event == nullptr || (event->type != GDK_BUTTON_PRESS && event->type != GDK_2BUTTON_PRESS &&
                           event->type != GDK_BUTTON_RELEASE))
    return 0;
  if (event->button.window != gtk_tree_view_get_bin_window(GTK_TREE_VIEW(list))) return 0;
  GtkTreeViewColumn* col = nullptr;
  if (!gtk_tree_view_get_path_at_pos(GTK_TREE_VIEW(list), static_cast<int>(event->button.x),
                                     static_cast<int>(event->button.y), nullptr, &col, nullptr, nullptr))
    return 0;
  return column_index(col);
}

// Runs a row callback with the list held, so that a callback that closes the
// list's window does not pull the list away under the caller.
void run_row(ClistRowCallback cb, GtkWidget* list, int row, GdkEvent* event) {
  if (cb == nullptr) return;
  g_object_ref(list);
  cb(list, row, event_column(list, event), event, nullptr);
  g_object_unref(list);
}

void on_selection_changed(GtkTreeSelection* selection, gpointer data) {
  auto* list = static_cast<GtkWidget*>(data);
  ClistState* st = state_of(list);
  if (st == nullptr || st->quiet > 0) return;
  GtkTreeModel* model = nullptr;
  GtkTreeIter iter;
  int now = -1;
  if (gtk_tree_selection_get_selected(selection, &model, &iter)) {
    GtkTreePath* path = gtk_tree_model_get_path(model, &iter);
    now = row_of_path(path);
    gtk_tree_path_free(path);
  }
  if (now == st->selected) return;
  const int old = st->selected;
  st->selected = now;
  GdkEvent* event = gtk_get_current_event();
  if (old >= 0) run_row(st->unselect_cb, list, old, event);
  if (now >= 0) run_row(st->select_cb, list, now, event);
  if (event != nullptr) gdk_event_free(event);
}

// A double click or Enter on a row: reported as a double click.
void on_row_activated(GtkTreeView* view, GtkTreePath* path, GtkTreeViewColumn* column, gpointer) {
  GtkWidget* list = GTK_WIDGET(view);
  ClistState* st = state_of(list);
  const int row = row_of_path(path);
  if (st == nullptr || st->select_cb == nullptr || row < 0) return;
  GdkEvent* event = gdk_event_new(GDK_2BUTTON_PRESS);
  GdkWindow* bin = gtk_tree_view_get_bin_window(view);
  event->button.window = bin != nullptr ? GDK_WINDOW(g_object_ref(bin)) : nullptr;
  g_object_ref(list);
  st->select_cb(list, row, column_index(column), event, nullptr);
  g_object_unref(list);
  gdk_event_free(event);
}

// The release that ends a click on the selected row is reported too.
gboolean on_button_release(GtkWidget* list, GdkEventButton* event, gpointer) {
  ClistState* st = state_of(list);
  if (st == nullptr || st->select_cb == nullptr || st->selected < 0) return FALSE;
  if (event->window != gtk_tree_view_get_bin_window(GTK_TREE_VIEW(list))) return FALSE;
  GtkTreePath* path = nullptr;
  if (!gtk_tree_view_get_path_at_pos(GTK_TREE_VIEW(list), static_cast<int>(event->x),
                                     static_cast<int>(event->y), &path, nullptr, nullptr, nullptr))
    return FALSE;
  const int row = row_of_path(path);
  gtk_tree_path_free(path);
  if (row == st->selected) run_row(st->select_cb, list, row, reinterpret_cast<GdkEvent*>(event));
  return FALSE;
}

void on_column_clicked(GtkTreeViewColumn* column, gpointer data) {
  auto* list = static_cast<GtkWidget*>(data);
  ClistState* st = state_of(list);
  if (st != nullptr && st->column_cb != nullptr) st->column_cb(list, column_index(column), nullptr);
}

}  // namespace

GtkWidget* Create_Clist(const char* id, ClistRowCallback select_cb, ClistRowCallback unselect_cb,
                        ClistColumnCallback click_column_cb, int columns,
                        const std::vector<std::pair<const char*, int>>& titles,
                        const std::vector<const char*>& rows) {
  if (columns < 1 || columns > kClistMaxColumns || titles.size() != static_cast<size_t>(columns))
    return nullptr;
  std::vector<GType> types(static_cast<size_t>(columns), G_TYPE_STRING);
  GtkListStore* store = gtk_list_store_newv(columns, types.data());
  GtkWidget* list = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
  g_object_unref(store);
  g_object_set_data(G_OBJECT(list), kKeyId, const_cast<char*>(id));
  auto* st = new ClistState{select_cb, unselect_cb, click_column_cb, columns};
  g_object_set_data_full(G_OBJECT(list), kKeyClist, st,
                         [](gpointer p) { delete static_cast<ClistState*>(p); });

  GtkTreeSelection* sel = gtk_tree_view_get_selection(GTK_TREE_VIEW(list));
  gtk_tree_selection_set_mode(sel, GTK_SELECTION_SINGLE);
  g_signal_connect(sel, "changed", G_CALLBACK(on_selection_changed), list);
  g_signal_connect(list, "row-activated", G_CALLBACK(on_row_activated), nullptr);
  gtk_widget_add_events(list, GDK_BUTTON_RELEASE_MASK);
  g_signal_connect(list, "button-release-event", G_CALLBACK(on_button_release), nullptr);

  for (int c = 0; c < columns; ++c) {
    const auto& [title, width] = titles[static_cast<size_t>(c)];
    GtkCellRenderer* cell = gtk_cell_renderer_text_new();
    GtkTreeViewColumn* col =
        gtk_tree_view_column_new_with_attributes(title != nullptr ? title : "", cell, "text", c, nullptr);
    g_object_set_data(G_OBJECT(col), kKeyColumnIndex, GINT_TO_POINTER(c));
    gtk_tree_view_column_set_sizing(col, GTK_TREE_VIEW_COLUMN_FIXED);
    if (width > 0) gtk_tree_view_column_set_fixed_width(col, width * kClistCharWidth);
    gtk_tree_view_column_set_resizable(col, TRUE);
    gtk_tree_view_column_set_clickable(col, click_column_cb != nullptr ? TRUE : FALSE);
    if (click_column_cb != nullptr) g_signal_connect(col, "clicked", G_CALLBACK(on_column_clicked), list);
    gtk_tree_view_append_column(GTK_TREE_VIEW(list), col);
  }
  gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(list), TRUE);

  // Whole rows only: the values stop at the first null.
  const size_t ncol = static_cast<size_t>(columns);
  for (size_t start = 0; start + ncol <= rows.size(); start += ncol) {
    std::vector<const char*> row(rows.begin() + static_cast<std::ptrdiff_t>(start),
                                 rows.begin() + static_cast<std::ptrdiff_t>(start + ncol));
    bool complete = true;
    for (const char* v : row) complete = complete && v != nullptr;
    if (!complete) break;
    Clist_append(list, row);
  }

  GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scrolled), GTK_SHADOW_OUT);
  gtk_container_add(GTK_CONTAINER(scrolled), list);
  // The scrolled window is the outer part of the list: removing the list by
  // its identifier removes both.
  g_object_set_data(G_OBJECT(scrolled), kKeyTopId, const_cast<char*>(id));
  gtk_widget_show(list);
  gtk_widget_show(scrolled);
  return list;
}

int Clist_append(GtkWidget* widget, const std::vector<const char*>& texts) {
  GtkWidget* list = as_list(widget);
  ClistState* st = state_of(list);
  GtkListStore* store = list != nullptr ? store_of(list) : nullptr;
  if (st == nullptr || store == nullptr) return -1;
  GtkTreeIter iter;
  gtk_list_store_append(store, &iter);
  for (int c = 0; c < st->columns && static_cast<size_t>(c) < texts.size(); ++c) {
    gtk_list_store_set(store, &iter, c,
                       texts[static_cast<size_t>(c)] != nullptr ? texts[static_cast<size_t>(c)] : "", -1);
  }
  return gtk_tree_model_iter_n_children(GTK_TREE_MODEL(store), nullptr) - 1;
}

void Clist_clear(GtkWidget* widget) {
  GtkWidget* list = as_list(widget);
  ClistState* st = state_of(list);
  GtkListStore* store = list != nullptr ? store_of(list) : nullptr;
  if (st == nullptr || store == nullptr) return;
  ++st->quiet;
  gtk_list_store_clear(store);
  st->selected = -1;
  --st->quiet;
}

int Clist_rows(GtkWidget* widget) {
  GtkWidget* list = as_list(widget);
  GtkListStore* store = list != nullptr ? store_of(list) : nullptr;
  return store != nullptr ? gtk_tree_model_iter_n_children(GTK_TREE_MODEL(store), nullptr) : 0;
}

int Clist_columns(GtkWidget* widget) {
  ClistState* st = state_of(as_list(widget));
  return st != nullptr ? st->columns : 0;
}

std::string Clist_get_text(GtkWidget* widget, int row, int column) {
  GtkWidget* list = as_list(widget);
  ClistState* st = state_of(list);
  GtkListStore* store = list != nullptr ? store_of(list) : nullptr;
  if (st == nullptr || store == nullptr || row < 0 || column < 0 || column >= st->columns) return {};
  GtkTreeIter iter;
  if (!gtk_tree_model_iter_nth_child(GTK_TREE_MODEL(store), &iter, nullptr, row)) return {};
  gchar* text = nullptr;
  gtk_tree_model_get(GTK_TREE_MODEL(store), &iter, column, &text, -1);
  std::string out = text != nullptr ? text : "";
  g_free(text);
  return out;
}

void Clist_select_row(GtkWidget* widget, int row) {
  GtkWidget* list = as_list(widget);
  if (list == nullptr) return;
  GtkTreeSelection* sel = gtk_tree_view_get_selection(GTK_TREE_VIEW(list));
  if (row < 0 || row >= Clist_rows(list)) {
    gtk_tree_selection_unselect_all(sel);
    return;
  }
  GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
  gtk_tree_selection_select_path(sel, path);
  gtk_tree_path_free(path);
}

int Clist_selected_row(GtkWidget* widget) {
  ClistState* st = state_of(as_list(widget));
  return st != nullptr ? st->selected : -1;
}

}  // namespace kelo
