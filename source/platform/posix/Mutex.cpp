// POSIX native recursive mutex.
#include "platform/Mutex.h"

#include <new>

#include "platform/posix/Syscalls.h"

namespace tq::platform {

struct NativeMutex {
    pthread_mutex_t m;
};

NativeMutex* NewRecursiveMutex() {
    auto* n = new (std::nothrow) NativeMutex;
    if (!n) return nullptr;
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    const int rc = sys::pthread_mutex_init(&n->m, &attr);
    pthread_mutexattr_destroy(&attr);
    if (rc == 0) return n;
    delete n;
    return nullptr;
}

void DeleteMutex(NativeMutex* m) {
    if (!m) return;
    pthread_mutex_destroy(&m->m);
    delete m;
}

void LockMutex(NativeMutex* m) {
    pthread_mutex_lock(&m->m);
}

void UnlockMutex(NativeMutex* m) {
    pthread_mutex_unlock(&m->m);
}

}  // namespace tq::platform
