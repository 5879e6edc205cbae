// Physical memory from the system's page counts.
#include "platform/PhysicalMemory.h"

#include <unistd.h>

#include "platform/posix/Syscalls.h"

namespace tq::platform {

PhysicalMemory GetPhysicalMemory() {
    const long page = sys::sysconf(_SC_PAGESIZE);
    const long total = sys::sysconf(_SC_PHYS_PAGES);
    const long available = sys::sysconf(_SC_AVPHYS_PAGES);
    if (page <= 0 || total <= 0) return {};
    return {uInt64(total) * uInt64(page), available > 0 ? uInt64(available) * uInt64(page) : 0};
}

}  // namespace tq::platform
