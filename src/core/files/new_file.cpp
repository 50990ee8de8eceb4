#include "core/files/new_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace kelo {

namespace {

constexpr int kTempSlots = 8;          // temporaries open at the same time
constexpr size_t kTempNameMax = 4096;  // longest temporary name the handler removes
constexpr int kTempTries = 100;        // unique names tried before giving up
constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as any new file

// The temporaries the signal handler removes. Filled before a slot is
// marked in use and marked free before its name changes, so the handler
// only ever reads a complete name.
struct TempSlots {
  volatile std::sig_atomic_t used[kTempSlots];
  char names[kTempSlots][kTempNameMax];
};
TempSlots g_temp_slots{};
std::atomic<unsigned> g_temp_counter{0};

int claim_slot(const std::string& name) {
  if (name.size() >= kTempNameMax) return -1;
  for (int i = 0; i < kTempSlots; ++i) {
    if (g_temp_slots.used[i] != 0) continue;
    std::memcpy(g_temp_slots.names[i], name.c_str(), name.size() + 1);
    g_temp_slots.used[i] = 1;
    return i;
  }
  return -1;
}

void release_slot(int slot) {
  if (slot >= 0 && slot < kTempSlots) g_temp_slots.used[slot] = 0;
}

void remove_temps_and_end(int signo) {
  for (int i = 0; i < kTempSlots; ++i) {
    if (g_temp_slots.used[i] != 0) unlink(g_temp_slots.names[i]);
  }
  // The program ends as the signal would have ended it.
  std::signal(signo, SIG_DFL);
  std::raise(signo);
}

std::string reason(const std::string& path, int err) { return path + ": " + std::strerror(err); }

}  // namespace

bool name_taken(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

bool NewFile::open(const std::string& dest, std::string* error) {
  remove();
  dest_ = dest;
  for (int t = 0; t < kTempTries; ++t) {
    unsigned n = g_temp_counter.fetch_add(1);
    std::string name = dest + "." + std::to_string(getpid()) + "-" + std::to_string(n) + ".part";
    int slot = claim_slot(name);
    // O_EXCL: a name already there, a link included, is never opened.
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kNewFileMode);
    if (fd < 0) {
      int err = errno;
      release_slot(slot);
      if (err == EEXIST) continue;
      if (error != nullptr) *error = "Can't create " + reason(dest, err);
      return false;
    }
    FILE* fp = fdopen(fd, "wb");
    if (fp == nullptr) {
      int err = errno;
      ::close(fd);
      unlink(name.c_str());
      release_slot(slot);
      if (error != nullptr) *error = "Can't create " + reason(dest, err);
      return false;
    }
    file_.adopt(fp);
    temp_ = name;
    slot_ = slot;
    return true;
  }
  if (error != nullptr) *error = "Can't create " + dest + ": no free temporary name";
  return false;
}

bool NewFile::commit(bool replace, std::string* error) {
  auto failed = [&](int err) {
    if (error != nullptr) *error = "Can't write " + reason(dest_, err);
    remove();
    return false;
  };
  if (temp_.empty()) return failed(EBADF);
  if (file_) {
    errno = 0;
    bool flushed = std::fflush(file_.get()) == 0 && std::ferror(file_.get()) == 0;
    int err = errno != 0 ? errno : EIO;
    if (!flushed) return failed(err);
    file_.close();
  }
  if (replace) {
    if (std::rename(temp_.c_str(), dest_.c_str()) != 0) return failed(errno);
  } else if (link(temp_.c_str(), dest_.c_str()) == 0) {
    unlink(temp_.c_str());
  } else {
    int err = errno;
    // A file system without hard links: rename, once the name is seen free.
    bool no_links = err == EPERM || err == EOPNOTSUPP || err == EXDEV || err == EMLINK;
    if (!no_links) return failed(err);
    if (name_taken(dest_)) return failed(EEXIST);
    if (std::rename(temp_.c_str(), dest_.c_str()) != 0) return failed(errno);
  }
  release_slot(slot_);
  slot_ = -1;
  temp_.clear();
  return true;
}

void NewFile::remove() {
  file_.close();
  if (!temp_.empty()) unlink(temp_.c_str());
  release_slot(slot_);
  slot_ = -1;
  temp_.clear();
}

void install_new_file_cleanup() {
  struct sigaction sa {};
  sa.sa_handler = remove_temps_and_end;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESETHAND;
  for (int signo : {SIGTERM, SIGINT, SIGHUP}) sigaction(signo, &sa, nullptr);
  // Past a file-size limit a write then fails with EFBIG and is reported.
  std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace kelo
