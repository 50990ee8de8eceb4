#include "core/base/kfile.h"

namespace kelo {

namespace {
struct FileCloser {
  void operator()(FILE* fp) const {
    if (fp != nullptr) std::fclose(fp);
  }
};
}  // namespace

bool KFile::open(const std::string& path, const char* mode) {
  fp_.reset();
  FILE* fp = std::fopen(path.c_str(), mode);
  if (fp == nullptr) return false;
  fp_ = std::shared_ptr<FILE>(fp, FileCloser{});
  return true;
}

void KFile::adopt(FILE* fp) {
  fp_.reset();
  if (fp != nullptr) fp_ = std::shared_ptr<FILE>(fp, FileCloser{});
}

bool KFile::close_checked() {
  if (!fp_) return true;
  // A good flush means every byte written so far reached the system; the
  // close itself runs in the deleter when the last holder lets go.
  bool ok = std::fflush(fp_.get()) == 0 && std::ferror(fp_.get()) == 0;
  fp_.reset();
  return ok;
}

}  // namespace kelo
