// The decoder's port through x86 I/O instructions after ioperm (needs root,
// or the CAP_SYS_RAWIO capability). On other machines every request fails.
#include "core/record/port.h"

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define KELO_HAVE_PORT_IO 1
#else
#define KELO_HAVE_PORT_IO 0
#endif

namespace kelo {

namespace {

class DirectPort : public PortBackend {
 public:
  const char* name() const override { return "direct"; }

  int ioperm(unsigned long base, unsigned long num, int turn_on) override {
#if KELO_HAVE_PORT_IO
    int r = ::ioperm(base, num, turn_on);
    if (r == 0 && turn_on) {
      lo_ = base;
      hi_ = base + num;
    } else if (r == 0) {
      lo_ = hi_ = 0;
    }
    return r == 0 ? 0 : -1;
#else
    (void)base;
    (void)num;
    (void)turn_on;
    return -1;
#endif
  }

  // Without permission an in/out instruction would kill the program, so
  // the backend answers like an empty port instead.
  uint16_t inw(unsigned addr) override {
#if KELO_HAVE_PORT_IO
    if (granted(addr, 2)) return ::inw(static_cast<unsigned short>(addr));
#endif
    (void)addr;
    return 0xFFFF;
  }
  uint8_t inb(unsigned addr) override {
#if KELO_HAVE_PORT_IO
    if (granted(addr, 1)) return ::inb(static_cast<unsigned short>(addr));
#endif
    (void)addr;
    return 0xFF;
  }
  void outb(uint8_t value, unsigned addr) override {
#if KELO_HAVE_PORT_IO
    if (granted(addr, 1)) ::outb(value, static_cast<unsigned short>(addr));
#endif
    (void)value;
    (void)addr;
  }

 private:
  // Only registers inside the granted range are touched.
  bool granted(unsigned addr, unsigned n) const { return addr >= lo_ && addr + n <= hi_; }
  unsigned long lo_ = 0, hi_ = 0;
};

}  // namespace

std::unique_ptr<PortBackend> make_direct_port() { return std::make_unique<DirectPort>(); }

}  // namespace kelo
