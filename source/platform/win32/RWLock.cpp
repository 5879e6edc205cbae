// Win32 native reader/writer lock.
#include "platform/RWLock.h"

#include <windows.h>

#include <new>

namespace tq::platform {

struct NativeRWLock {
    SRWLOCK l;
};

NativeRWLock* NewRWLock() {
    auto* n = new (std::nothrow) NativeRWLock;
    if (n) ::InitializeSRWLock(&n->l);
    return n;
}

void DeleteRWLock(NativeRWLock* l) {
    delete l;
}

void LockShared(NativeRWLock* l) {
    ::AcquireSRWLockShared(&l->l);
}

void UnlockShared(NativeRWLock* l) {
    ::ReleaseSRWLockShared(&l->l);
}

void LockExclusive(NativeRWLock* l) {
    ::AcquireSRWLockExclusive(&l->l);
}

void UnlockExclusive(NativeRWLock* l) {
    ::ReleaseSRWLockExclusive(&l->l);
}

}  // namespace tq::platform
