// Win32 native recursive mutex.
#include "platform/Mutex.h"

#include <windows.h>

#include <new>

namespace tq::platform {

struct NativeMutex {
    CRITICAL_SECTION cs;
};

NativeMutex* NewRecursiveMutex() {
    auto* n = new (std::nothrow) NativeMutex;
    if (n) ::InitializeCriticalSection(&n->cs);
    return n;
}

void DeleteMutex(NativeMutex* m) {
    if (!m) return;
    ::DeleteCriticalSection(&m->cs);
    delete m;
}

void LockMutex(NativeMutex* m) {
    ::EnterCriticalSection(&m->cs);
}

void UnlockMutex(NativeMutex* m) {
    ::LeaveCriticalSection(&m->cs);
}

}  // namespace tq::platform
