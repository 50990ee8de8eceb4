// Path building. The directory separator lives here and nowhere else, so a
// build for another platform changes one constant.
#pragma once

#include <string>

namespace kelo {

inline constexpr char kDirSep = '/';

// Appends the separator unless the directory is empty or already ends in it.
inline std::string with_dirsep(std::string dir) {
  if (!dir.empty() && dir.back() != kDirSep) dir.push_back(kDirSep);
  return dir;
}

// dir + separator + name; just name when dir is empty.
inline std::string join_path(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  return with_dirsep(dir) + name;
}

}  // namespace kelo
