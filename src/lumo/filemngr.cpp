#include "lumo/filemngr.h"

namespace kelo {

GtkWidget* Create_Fileselectf(GtkWidget*, const char*, LumoCallback, LumoCallback, std::string*, const char*,
                              const char*, int, std::string*) {
  return nullptr;
}
const char* file_selection_get_filename() { return nullptr; }
const char* file_selection_get_dirname() { return ""; }
void Close_Fileselectf(GtkWidget*) {}
std::string construct_dirpath(const char*) { return {}; }
int istrcmpwild(const char*, const char*) { return 1; }
int strcmp_ci(const char*, const char*) { return 0; }
void sort_ci(std::vector<std::string>*) {}
int is_a_dir(const char*) { return 0; }
std::string parent_dirpath(const std::string&) { return {}; }
std::vector<std::string> filesystem_roots() { return {}; }
DirListing list_directory(const std::string&, int, const char*, const char*) { return {}; }
void Create_Dircont(GtkWidget*, GtkWidget*, const char*, int, const char*, const char*) {}

}  // namespace kelo
