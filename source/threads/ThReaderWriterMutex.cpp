// ThReaderWriterMutex: reader/writer locks over the native lock.
#include "diagnostics/Report.h"
#include "platform/RWLock.h"
#include "tqcore/core.h"
#include "tqcore/threads.h"

#define TQ_UNIT "source\\ThReaderWriterMutex"

// The handle is the native lock itself: no record sits in between.
namespace {

tq::platform::NativeRWLock* Native(ThReaderWriterMutex rw, const char* operation) {
    if (!rw) TQ_REPORT(kDbgBroken, "NULL mutex in ", operation);
    return reinterpret_cast<tq::platform::NativeRWLock*>(rw);
}

}  // namespace

TqErr ThReaderWriterMutexCreate(ThReaderWriterMutex* rw) {
    if (!rw) {
        TQ_REPORT(kDbgBroken, "Unexpected NULL pointer in ThReaderWriterMutexCreate");
        return kErrArgument;
    }
    *rw = reinterpret_cast<ThReaderWriterMutex>(tq::platform::NewRWLock());
    return *rw ? kErrNone : kErrMemoryFull;
}

void ThReaderWriterMutexAcquireReadLock(ThReaderWriterMutex rw) {
    if (auto* l = Native(rw, "ThReaderWriterMutexAcquireReadLock")) tq::platform::LockShared(l);
}

void ThReaderWriterMutexAcquireWriteLock(ThReaderWriterMutex rw) {
    if (auto* l = Native(rw, "ThReaderWriterMutexAcquireWriteLock")) tq::platform::LockExclusive(l);
}

void ThReaderWriterMutexReleaseReadLock(ThReaderWriterMutex rw) {
    if (auto* l = Native(rw, "ThReaderWriterMutexReleaseReadLock")) tq::platform::UnlockShared(l);
}

void ThReaderWriterMutexReleaseWriteLock(ThReaderWriterMutex rw) {
    if (auto* l = Native(rw, "ThReaderWriterMutexReleaseWriteLock")) tq::platform::UnlockExclusive(l);
}

void ThReaderWriterMutexDestroy(ThReaderWriterMutex rw) {
    if (auto* l = Native(rw, "ThReaderWriterMutexDestroy")) tq::platform::DeleteRWLock(l);
}
