// Numeric controls.
#include "lumo/adjust.h"

namespace kelo {

const char* get_frmt(const char* text, int*, int*) { return text; }
AdjSpec adjust_registers(const char*, const std::vector<double>&, bool) { return {}; }
GtkWidget* Create_SpinList(const char*, AdjCallback, const char*, const std::vector<double>&) {
  return nullptr;
}
GtkWidget* Create_ScaleList(const char*, int, AdjCallback, const char*, const std::vector<double>&) {
  return nullptr;
}
GtkWidget* Create_Scrollbar(const char*, int, float, float, float, AdjCallback) { return nullptr; }
GtkWidget* Add_Scrollbars(GtkWidget*, const char*, const char*, AdjCallback) { return nullptr; }
double Get_Adjust(GtkWidget*, const char*) { return 0; }
double Get_Adjustc(GtkWidget*) { return 0; }
int Set_Adjust(GtkWidget*, const char*, const char*, double) { return 0; }
int Set_Adjustc(GtkWidget*, const char*, double) { return 0; }
int Set_AdjustbndList(GtkWidget*, const char*, const char*, const std::vector<double>&) { return 0; }
int Set_AdjustbndcList(GtkWidget*, const char*, const std::vector<double>&) { return 0; }
int Set_Scroll(GtkWidget*, const char*, int, int*, float*, const char*, int, int*, float*) { return 0; }

}  // namespace kelo
