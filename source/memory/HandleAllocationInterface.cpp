// The plain and the caching handle-allocation interfaces. The handle operations report their own failures;
// only a failed allocation, which they answer with null alone, is reported here.
#include "diagnostics/Report.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"

#define TQ_UNIT "source\\MemoryManager"

namespace {

UHandle Reported(UHandle h, const char* name) {
    if (!h) TQ_REPORT(kDbgError, "Memory error ", kErrMemoryFull, " in ", name);
    return h;
}

}  // namespace

HandleAllocationInterface::HandleAllocationInterface() = default;
HandleAllocationInterface::~HandleAllocationInterface() = default;

UHandle NormalHandleAllocationInterface::AllocateHandle(uInt64 size) const {
    return Reported(DSNewHandle(size), "DSNewHandle");
}
UHandle NormalHandleAllocationInterface::AllocateHandleClr(uInt64 size) const {
    return Reported(DSNewHClr(size), "DSNewHClr");
}
TqErr NormalHandleAllocationInterface::ResizeHandle(UHandle h, uInt64 size) const {
    return DSSetHandleSize(h, size);
}
TqErr NormalHandleAllocationInterface::ResizeHandleClr(UHandle h, uInt64 size) const {
    return DSSetHSzClr(h, size);
}
TqErr NormalHandleAllocationInterface::ResizeHandleOrAllocateHandle(UHandle* h, uInt64 size) const {
    return DSSetHandleSizeOrNewHandle(h, size);
}
TqErr NormalHandleAllocationInterface::ResizeHandleOrAllocateHandleClr(UHandle* h, uInt64 size) const {
    return DSSetHSzOrNewHClr(h, size);
}
TqErr NormalHandleAllocationInterface::DeallocateHandle(UHandle h) const {
    return DSDisposeHandle(h);
}

UHandle CachedHandleAllocationInterface::AllocateHandle(uInt64 size) const {
    return Reported(DSNewHandleCache(size), "DSNewHandleCache");
}
UHandle CachedHandleAllocationInterface::AllocateHandleClr(uInt64 size) const {
    return Reported(DSNewHClrCache(size), "DSNewHClrCache");
}
TqErr CachedHandleAllocationInterface::ResizeHandle(UHandle h, uInt64 size) const {
    return DSSetHandleSizeCache(h, size);
}
TqErr CachedHandleAllocationInterface::ResizeHandleClr(UHandle h, uInt64 size) const {
    return DSSetHSzClrCache(h, size);
}
TqErr CachedHandleAllocationInterface::ResizeHandleOrAllocateHandle(UHandle* h, uInt64 size) const {
    return DSSetHandleSizeOrNewHandleCache(h, size);
}
TqErr CachedHandleAllocationInterface::ResizeHandleOrAllocateHandleClr(UHandle* h, uInt64 size) const {
    return DSSetHSzOrNewHClrCache(h, size);
}
TqErr CachedHandleAllocationInterface::DeallocateHandle(UHandle h) const {
    return DSDisposeHandleCache(h);
}
