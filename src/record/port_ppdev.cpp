#include "record/port.h"

namespace kelo {
std::unique_ptr<PortBackend> make_ppdev_port() { return make_direct_port(); }
}  // namespace kelo
