// Win32 processor counts from the logical processor information.
#include <windows.h>

#include <vector>

#include "platform/CpuInfo.h"

namespace tq::platform {

namespace {

// Processor cores of every group; 0 when the system cannot tell.
int32 CountCores() {
    DWORD bytes = 0;
    GetLogicalProcessorInformationEx(RelationProcessorCore, nullptr, &bytes);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) return 0;
    std::vector<unsigned char> buffer(bytes);
    auto* info = reinterpret_cast<SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX*>(buffer.data());
    if (!GetLogicalProcessorInformationEx(RelationProcessorCore, info, &bytes)) return 0;
    int32 cores = 0;
    for (DWORD off = 0; off < bytes;) {
        auto* entry = reinterpret_cast<SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX*>(buffer.data() + off);
        if (entry->Size == 0) break;
        if (entry->Relationship == RelationProcessorCore) ++cores;
        off += entry->Size;
    }
    return cores;
}

}  // namespace

int32 NumLogicalProcessors() {
    const DWORD n = GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
    return n > 0 ? int32(n) : 1;
}

int32 CountPhysicalCores() {
    return CountCores();
}

}  // namespace tq::platform
