#include "core/orbit/orbit_model.h"

namespace kelo {

bool orbit_model_from_name(const std::string& name, OrbitModel* model) {
  if (name == "simple") {
    *model = OrbitModel::Simple;
  } else if (name == "precise") {
    *model = OrbitModel::Precise;
  } else {
    return false;
  }
  return true;
}

const char* orbit_model_name(OrbitModel model) { return model == OrbitModel::Precise ? "precise" : "simple"; }

}  // namespace kelo
