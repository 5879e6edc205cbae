// ThMutex: recursive mutexes with a short spin before queueing, and the mutex service.
#include <new>

#include "diagnostics/Report.h"
#include "threads/Services.h"
#include "threads/ThRecords.h"

#define TQ_UNIT "source\\ThMutex"

namespace {

bool Verified(ThMutex m, const char* message) {
    if (m->verifier == tq::threads::kMutexVerifier) return true;
    TQ_REPORT(kDbgBroken, message);
    return false;
}

// A brief spin before queueing keeps short critical sections out of the kernel. Only the -1 -> 0 step is
// tried: it is exactly the increment that finds -1 and makes the caller owner, so a spinner takes nothing
// the plain count would not give it. Once anyone waits the counter never reads -1, so a spinner cannot
// overtake a queued waiter.
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
    auto* rec = new (std::nothrow) ThMutexRecord{{-1}, nullptr, tq::threads::kMutexVerifier};
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
    // Not recursive: a holder that acquires again queues behind itself and waits until some release
    // hands the mutex on.
    if (!SpinAcquire(m) && m->counter.fetch_add(1) != -1) ThEventWait(m->event);
}

void ThMutexRelease(ThMutex m) {
    if (!m || !Verified(m, "bad mutex verifier in ThMutexRelease")) return;
    // Any release counts, whoever calls it: a new value other than -1 passes the mutex to one waiter, or
    // leaves the event signalled for the next one to acquire.
    if (m->counter.fetch_sub(1) != 0) ThEventSignal(m->event);
}

void ThMutexDestroy(ThMutex m) {
    if (!m) return;
    if (!Verified(m, "bad mutex verifier in ThMutexDestroy")) return;
    ThEventDestroy(m->event);
    m->verifier = 0;
    delete m;
}
