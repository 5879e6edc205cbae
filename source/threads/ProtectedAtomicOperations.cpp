// Atomic increments, swaps and compare-and-swap, and their service.
#include <cstring>

#include "threads/Services.h"
#include "tqcore/threads.h"

namespace {

class ProtectedAtomicOperations_Service final
    : public RefcountedServiceObject_T<ProtectedAtomicOperations_Service> {
  public:
    const char* Name() override { return "ProtectedAtomicOperations"; }
    void Dependencies(IServiceDependencyList& list) override { list.Add(tq::threads::ThMutexService()); }
};

}  // namespace

IServiceObject* ProtectedAtomicOperationsService(void) {
    return ProtectedAtomicOperations_Service::Get();
}

int32 ThAtomicInc(volatile int32* p) {
    return __atomic_add_fetch(p, 1, __ATOMIC_SEQ_CST);
}

int32 ThAtomicDec(volatile int32* p) {
    return __atomic_sub_fetch(p, 1, __ATOMIC_SEQ_CST);
}

void* ThAtomicSwapPtr(void* volatile* p, void* v) {
    return __atomic_exchange_n(p, v, __ATOMIC_SEQ_CST);
}

Bool32 ThSwapIfSame(volatile int32* p, int32 newValue, int32 expected) {
    return __atomic_compare_exchange_n(p, &expected, newValue, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
}

Bool32 ThSwapIfSamePtr(void* volatile* p, void* newValue, void* expected) {
    return __atomic_compare_exchange_n(p, &expected, newValue, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
}

int32 ThAtomicSwap(int32* p, int32 v, ThMutex mutex) {
    ThMutexAcquire(mutex);
    const int32 old = *p;
    *p = v;
    ThMutexRelease(mutex);
    return old;
}

void Th8ByteAtomicWrtRd(void* a, void* b, int32 direction, ThMutex mutex) {
    ThMutexAcquire(mutex);
    if (direction)
        std::memcpy(b, a, 8);
    else
        std::memcpy(a, b, 8);
    ThMutexRelease(mutex);
}
