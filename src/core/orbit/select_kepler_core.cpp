// Finding a satellite's elements by name, for the recorders and the
// satellite selection.
#include "core/orbit/select_kepler_core.h"

#include <string>

#include "core/orbit/parse_norad.h"

namespace kelo {

int get_satkeps(FILE* fp, const char* name, KEPLER* kepler) {
  *kepler = KEPLER{};
  if (fp == nullptr || name == nullptr) return 0;
  std::rewind(fp);
  std::string found;
  KEPLER k;
  while (read_norad_next_keps(fp, &found, &k) != 0) {
    if (found == name) {
      *kepler = k;
      return 1;
    }
  }
  return 0;
}

}  // namespace kelo
