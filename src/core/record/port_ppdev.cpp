// The decoder's port through the Linux parallel-port device (/dev/parportN).
// Needs no root, only access to the device (group "lp" on most systems). The
// port address of the preferences is matched to a device through
// /proc/sys/dev/parport/*/base-addr.
#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "core/record/port.h"

namespace kelo {

namespace {

class PpdevPort : public PortBackend {
 public:
  ~PpdevPort() override { close_device(); }
  const char* name() const override { return "ppdev"; }

  int ioperm(unsigned long base, unsigned long num, int turn_on) override {
    if (!turn_on) {
      close_device();
      return 0;
    }
    if (num > kPortRegisters) return -1;  // one device covers data, status and control
    if (fd_ >= 0 && base == base_) return 0;
    close_device();
    std::string dev = ppdev_device_for(base, "/proc/sys/dev/parport");
    if (dev.empty()) return -1;
    int fd = ::open(dev.c_str(), O_RDWR);
    if (fd < 0) return -1;
    if (::ioctl(fd, PPCLAIM) != 0) {
      ::close(fd);
      return -1;
    }
    fd_ = fd;
    base_ = base;
    // Start with the data lines as inputs, as the decoder drives them.
    set_direction(true);
    return 0;
  }

  uint16_t inw(unsigned addr) override {
    // Same as the x86 word read at base: data register low, status high.
    return static_cast<uint16_t>(inb(addr) | (inb(addr + 1) << 8));
  }

  uint8_t inb(unsigned addr) override {
    if (fd_ < 0) return 0xFF;
    unsigned char v = 0xFF;
    switch (addr - static_cast<unsigned>(base_)) {
      case kPortData:
        if (::ioctl(fd_, PPRDATA, &v) != 0) v = 0xFF;
        return v;
      case kPortStatus:
        if (::ioctl(fd_, PPRSTATUS, &v) != 0) v = 0xFF;
        return v;
      case kPortControl:
        // The kernel hands back the four handshake lines only; the direction
        // bit is the one we last wrote.
        if (::ioctl(fd_, PPRCONTROL, &v) != 0) v = static_cast<unsigned char>(control_);
        return static_cast<uint8_t>((v & 0x0F) | (control_ & 0xF0));
      default:
        return 0xFF;
    }
  }

  void outb(uint8_t value, unsigned addr) override {
    if (fd_ < 0) return;
    unsigned char v = value;
    switch (addr - static_cast<unsigned>(base_)) {
      case kPortData:
        ::ioctl(fd_, PPWDATA, &v);
        break;
      case kPortControl: {
        // The kernel takes the data direction through its own request; the
        // control write carries only the handshake lines.
        const bool input = (value & kDirBit) != 0;
        if (input != ((control_ & kDirBit) != 0)) set_direction(input);
        unsigned char lines = static_cast<unsigned char>(value & 0x0F);
        ::ioctl(fd_, PPWCONTROL, &lines);
        control_ = value;
        break;
      }
      default:
        break;
    }
  }

 private:
  static constexpr uint8_t kDirBit = 0x20;

  void set_direction(bool input) {
    int dir = input ? 1 : 0;
    ::ioctl(fd_, PPDATADIR, &dir);
    control_ = static_cast<uint8_t>(input ? (control_ | kDirBit) : (control_ & ~kDirBit));
  }

  void close_device() {
    if (fd_ < 0) return;
    ::ioctl(fd_, PPRELEASE);
    ::close(fd_);
    fd_ = -1;
  }

  int fd_ = -1;
  unsigned long base_ = 0;
  uint8_t control_ = 0;
};

}  // namespace

std::unique_ptr<PortBackend> make_ppdev_port() { return std::make_unique<PpdevPort>(); }

}  // namespace kelo
