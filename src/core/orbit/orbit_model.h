// The names of the orbit models, as the preference "Orbit_model" and
// kelo-export's --orbit give them.
#pragma once

#include <string>

#include "core/base/records.h"

namespace kelo {

// "simple" or "precise"; false for any other name (the model is untouched).
[[nodiscard]] bool orbit_model_from_name(const std::string& name, OrbitModel* model);
const char* orbit_model_name(OrbitModel model);

}  // namespace kelo
