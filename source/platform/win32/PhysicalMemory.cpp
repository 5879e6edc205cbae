// Physical memory from the system's memory status.
#include <windows.h>

#include "platform/PhysicalMemory.h"

namespace tq::platform {

PhysicalMemory GetPhysicalMemory() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) return {};
    return {status.ullTotalPhys, status.ullAvailPhys};
}

}  // namespace tq::platform
