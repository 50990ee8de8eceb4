// Column lists: a GtkTreeView over a GtkListStore of strings inside a
// scrolled window, built in one call. The view carries the identifier; its
// parent is the scrolled window (Pack and SPack pack that).
//
// Row callbacks keep the shape of the station's list handlers: (list, row,
// column, event, data) with the event that caused the selection, so that a
// handler can tell a double click (event type GDK_2BUTTON_PRESS, 5) from a
// selection reported on button release (GDK_BUTTON_RELEASE, 7). Enter on a
// row is reported like a double click.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <utility>
#include <vector>

namespace kelo {

using ClistRowCallback = void (*)(GtkWidget* list, int row, int column, GdkEvent* event, gpointer data);
using ClistColumnCallback = void (*)(GtkWidget* list, int column, gpointer data);

inline constexpr int kClistCharWidth = 8;  // pixels per character of a column width
inline constexpr int kClistMaxColumns = 32;

// columns (title, width in characters) pairs; rows: one string per column
// per row, up to the first null (a row holding the null is not appended).
// Returns the list, or null for a column count out of 1..32 or a column
// list of another length.
GtkWidget* Create_Clist(const char* id, ClistRowCallback select_cb, ClistRowCallback unselect_cb,
                        ClistColumnCallback click_column_cb, int columns,
                        const std::vector<std::pair<const char*, int>>& titles,
                        const std::vector<const char*>& rows = {});

// Row access (the list or its scrolled window).
int Clist_append(GtkWidget* list, const std::vector<const char*>& texts);  // the new row, -1 on error
void Clist_clear(GtkWidget* list);
int Clist_rows(GtkWidget* list);
int Clist_columns(GtkWidget* list);
// Text of a cell, empty when outside.
std::string Clist_get_text(GtkWidget* list, int row, int column);
// Selects row (its select callback runs); -1 unselects all.
void Clist_select_row(GtkWidget* list, int row);
// The selected row, or -1.
int Clist_selected_row(GtkWidget* list);

}  // namespace kelo
