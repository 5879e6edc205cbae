// Tracked allocation behind the library's operator new and delete. Blocks come from the C heap, not the
// pool: on Linux standard-library objects built inline by a caller may be freed inside the library and the
// other way round, so without guard room the blocks must stay plain C-heap blocks.
#include <cstdlib>
#include <cstring>

#include "memory/MemoryUtil.h"
#include "memory/Services.h"

using namespace tq::memory;

namespace {

// No start work: the service orders the tracked heap after the memory manager in a registry.
class TrackedMallocFree_Service final : public RefcountedServiceObject_T<TrackedMallocFree_Service> {
  public:
    const char* Name() override { return "TrackedMallocFree"; }
    void Dependencies(IServiceDependencyList& list) override { list.Add(MemoryManagerService()); }
};

// [size, 8 bytes][front guard][data][rear guard]
constexpr uInt64 kLead = 2 * kGuardSize;
constexpr uInt64 kRoom = kLead + kGuardSize;

uInt64 StoredSize(const uChar* data) {
    uInt64 size;
    std::memcpy(&size, data - kLead, sizeof size);
    return size;
}

}  // namespace

void* TrackedMalloc(uInt64 size) {
    EnsureConfigured();
    if (size > (uInt64(1) << 56)) return nullptr;
    if (!Has(kGuardNewDelete, kGuardReserve)) return std::malloc(size_t(size ? size : 1));
    auto* block = static_cast<uChar*>(std::malloc(size_t(size + kRoom)));
    if (!block) return nullptr;
    std::memcpy(block, &size, sizeof size);
    uChar* data = block + kLead;
    if (Has(kGuardNewDelete, kGuardWrite)) WriteGuards(data, size);
    return data;
}

void TrackedFree(void* p) {
    if (!p) return;
    EnsureConfigured();
    if (!Has(kGuardNewDelete, kGuardReserve)) return std::free(p);
    auto* data = static_cast<uChar*>(p);
    if (Has(kGuardNewDelete, kGuardWrite | kGuardVerify))
        ReportGuardFailure(p, InspectGuards(data, StoredSize(data)));
    std::free(data - kLead);
}

void TrackedMallocDumpTracker(void) {}
void TrackedMallocResetTracker(void) {}

IServiceObject* tq::memory::TrackedMallocFreeService() {
    return TrackedMallocFree_Service::Get();
}
