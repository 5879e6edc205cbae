#include "Host.h"

namespace tool {

// Start-up of the library is added with the core services.
HostSession::HostSession() {
    started_ = true;
}

HostSession::~HostSession() = default;

}  // namespace tool
