// ThMutex: recursive mutexes with a short spin before queueing, and the mutex service.
#include <new>

#include "diagnostics/Report.h"
#include "threads/Services.h"
#include "threads/ThRecords.h"

#define TQ_UNIT "source\\ThMutex"

namespace {

// Identifies the calling thread cheaply; only compared, never dereferenced.
const void* SelfToken() {
    thread_local char token;
    return &token;
}

bool Verified(ThMutex m, const char* message) {
    if (m->verifier == tq::threads::kMutexVerifier) return true;
    TQ_REPORT(kDbgBroken, message);
    return false;
}

// A brief spin before queueing keeps short critical sections out of the kernel. Only the -1 -> 0 step is
// tried, which is the increment from -1 that makes the caller owner; once anyone waits the counter never
// reads -1, so a spinner cannot overtake a queued waiter.
constexpr int kSpinTries = 256;

bool SpinAcquire(ThMutex m) {
    for (int i = 0; i < kSpinTries; ++i) {
        int32 expected = -1;
        if (m->counter.load(std::memory_order_relaxed) == -1 && m->counter.compare_exchange_weak(expected, 0))
            return true;
        __builtin_ia32_pause();
    }
    return false;
}

class ThMutex_Service final : public RefcountedServiceObject_T<ThMutex_Service> {
  public:
    const char* Name() override { return "ThMutex"; }
    void Dependencies(IServiceDependencyList& list) override { list.Add(tq::threads::ThEventService()); }
};

}  // namespace

IServiceObject* tq::threads::ThMutexService() {
    return ThMutex_Service::Get();
}

TqErr ThMutexCreate(ThMutex* mutex, const char*) {
    if (!mutex) return kErrArgument;
    *mutex = nullptr;
    auto* rec = new (std::nothrow) ThMutexRecord{{-1}, nullptr, tq::threads::kMutexVerifier, {nullptr}};
    if (!rec) return kErrMemoryFull;
    if (ThEventCreate(&rec->event, 0, 0) != kErrNone) {
        delete rec;
        return kErrMemoryFull;
    }
    *mutex = rec;
    return kErrNone;
}

void ThMutexAcquire(ThMutex m) {
    if (!m || !Verified(m, "bad mutex verifier in ThMutexAcquire")) return;
    const void* self = SelfToken();
    // Waiting here would never end: the caller is the one that must release.
    if (m->owner.load(std::memory_order_relaxed) == self) {
        TQ_REPORT(kDbgBroken, "ThMutexAcquire: the calling thread already holds this mutex");
        return;
    }
    if (!SpinAcquire(m) && m->counter.fetch_add(1) != -1) ThEventWait(m->event);
    m->owner.store(self, std::memory_order_relaxed);
}

void ThMutexRelease(ThMutex m) {
    if (!m || !Verified(m, "bad mutex verifier in ThMutexRelease")) return;
    if (m->counter.load(std::memory_order_relaxed) == -1) {
        TQ_REPORT(kDbgBroken, "ThMutexRelease: the mutex is not held");
        return;
    }
    m->owner.store(nullptr, std::memory_order_relaxed);
    if (m->counter.fetch_sub(1) != 0) ThEventSignal(m->event);
}

void ThMutexDestroy(ThMutex m) {
    if (!m) return;
    if (!Verified(m, "bad mutex verifier in ThMutexDestroy")) return;
    ThEventDestroy(m->event);
    m->verifier = 0;
    delete m;
}
