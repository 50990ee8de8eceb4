#include "lumo/listtree.h"

namespace kelo {

GtkWidget* Create_Clist(const char*, ClistRowCallback, ClistRowCallback, ClistColumnCallback, int,
                        const std::vector<std::pair<const char*, int>>&, const std::vector<const char*>&) {
  return nullptr;
}
int Clist_append(GtkWidget*, const std::vector<const char*>&) { return -1; }
void Clist_clear(GtkWidget*) {}
int Clist_rows(GtkWidget*) { return 0; }
int Clist_columns(GtkWidget*) { return 0; }
std::string Clist_get_text(GtkWidget*, int, int) { return {}; }
void Clist_select_row(GtkWidget*, int) {}
int Clist_selected_row(GtkWidget*) { return -1; }

}  // namespace kelo
