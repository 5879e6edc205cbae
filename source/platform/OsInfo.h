// Identity and version of the running operating system.
#pragma once

#include <string>

#include "tqcore/types.h"

namespace tq::platform {

struct OsIdentity {
    std::string productName;  // empty when the system does not say
    uInt32 major = 0, minor = 0, build = 0;
    std::string detail;  // kernel release or build text; empty when unknown
    bool isNT = false;
};

OsIdentity QueryOsIdentity();

}  // namespace tq::platform
