// The machine's physical memory, for the memory statistics.
#pragma once

#include "tqcore/types.h"

namespace tq::platform {

struct PhysicalMemory {
    uInt64 totalBytes = 0;
    uInt64 availableBytes = 0;  // free for new use without paging out
};

// Zeros when the system does not say.
PhysicalMemory GetPhysicalMemory();

}  // namespace tq::platform
