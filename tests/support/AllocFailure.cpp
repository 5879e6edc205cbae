#include "support/AllocFailure.h"

#include "tqcore/core.h"
#include "tqcore/memory.h"

namespace {

int gFailAt = 0;  // the call that fails, counted from 1; 0 = none
int gCalls = 0;
bool gFailed = false;

bool Due() {
    if (gFailAt == 0 || ++gCalls != gFailAt) return false;
    gFailed = true;
    return true;
}

}  // namespace

namespace tq::test {

void FailAllocation(int nth) {
    gFailAt = nth;
    gCalls = 0;
    gFailed = false;
}

bool AllocationFailed() {
    return gFailed;
}

AllocationsSucceed::AllocationsSucceed() : saved_(gFailAt) {
    gFailAt = 0;
}

AllocationsSucceed::~AllocationsSucceed() {
    gFailAt = saved_;
}

}  // namespace tq::test

extern "C" {
UHandle __real_DSNewHandle(uInt64 size);
UHandle __real_DSNewHClr(uInt64 size);
UPtr __real_DSNewPtr(uInt64 size);
TqErr __real_DSSetHandleSize(UHandle h, uInt64 size);
TqErr __real_DSSetAlignedHandleSize(UHandle h, uInt64 size, uInt32 alignment, uInt32 offset);
TqErr __real_DSSetHandleSizeOrNewHandle(UHandle* h, uInt64 size);
TqErr __real_DSSetHandleFromPtr(UHandle* h, const void* p, uInt64 n);
TqErr __real_DSCopyHandle(UHandle* dst, UHandle src);

UHandle __wrap_DSNewHandle(uInt64 size) {
    return Due() ? nullptr : __real_DSNewHandle(size);
}
UHandle __wrap_DSNewHClr(uInt64 size) {
    return Due() ? nullptr : __real_DSNewHClr(size);
}
UPtr __wrap_DSNewPtr(uInt64 size) {
    return Due() ? nullptr : __real_DSNewPtr(size);
}
TqErr __wrap_DSSetHandleSize(UHandle h, uInt64 size) {
    return Due() ? kErrMemoryFull : __real_DSSetHandleSize(h, size);
}
TqErr __wrap_DSSetAlignedHandleSize(UHandle h, uInt64 size, uInt32 alignment, uInt32 offset) {
    return Due() ? kErrMemoryFull : __real_DSSetAlignedHandleSize(h, size, alignment, offset);
}
TqErr __wrap_DSSetHandleSizeOrNewHandle(UHandle* h, uInt64 size) {
    return Due() ? kErrMemoryFull : __real_DSSetHandleSizeOrNewHandle(h, size);
}
TqErr __wrap_DSSetHandleFromPtr(UHandle* h, const void* p, uInt64 n) {
    return Due() ? kErrMemoryFull : __real_DSSetHandleFromPtr(h, p, n);
}
TqErr __wrap_DSCopyHandle(UHandle* dst, UHandle src) {
    return Due() ? kErrMemoryFull : __real_DSCopyHandle(dst, src);
}
}
