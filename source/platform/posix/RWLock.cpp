// POSIX native reader/writer lock.
#include "platform/RWLock.h"

#include <new>

#include "platform/posix/Syscalls.h"

namespace tq::platform {

struct NativeRWLock {
    pthread_rwlock_t l;
};

NativeRWLock* NewRWLock() {
    auto* n = new (std::nothrow) NativeRWLock;
    if (!n) return nullptr;
    pthread_rwlockattr_t attr;
    pthread_rwlockattr_init(&attr);
#if defined(__GLIBC__)
    // Waiting writers block new readers, as slim reader/writer locks do, so writers are not starved.
    pthread_rwlockattr_setkind_np(&attr, PTHREAD_RWLOCK_PREFER_WRITER_NONRECURSIVE_NP);
#endif
    const int rc = sys::pthread_rwlock_init(&n->l, &attr);
    pthread_rwlockattr_destroy(&attr);
    if (rc == 0) return n;
    delete n;
    return nullptr;
}

void DeleteRWLock(NativeRWLock* l) {
    if (!l) return;
    pthread_rwlock_destroy(&l->l);
    delete l;
}

void LockShared(NativeRWLock* l) {
    pthread_rwlock_rdlock(&l->l);
}

void UnlockShared(NativeRWLock* l) {
    pthread_rwlock_unlock(&l->l);
}

void LockExclusive(NativeRWLock* l) {
    pthread_rwlock_wrlock(&l->l);
}

void UnlockExclusive(NativeRWLock* l) {
    pthread_rwlock_unlock(&l->l);
}

}  // namespace tq::platform
