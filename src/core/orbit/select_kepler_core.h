// Looking up a satellite's element set by name in a two-line element file.
#pragma once

#include <cstdio>

#include "core/base/records.h"

namespace kelo {

// Clears `kepler`, rewinds `fp` and reads element sets in file order; 1 at
// the first set whose name equals `name` exactly (case-sensitive), else 0.
// A null file gives 0.
int get_satkeps(FILE* fp, const char* name, KEPLER* kepler);

}  // namespace kelo
