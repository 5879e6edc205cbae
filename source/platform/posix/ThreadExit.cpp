// POSIX per-thread exit callbacks.
#include "platform/ThreadExit.h"

#include "platform/posix/ErrnoMap.h"
#include "platform/posix/Syscalls.h"

namespace tq::platform {

static_assert(sizeof(pthread_key_t) <= sizeof(uInt32), "keys must fit a slot number");

uInt32 ThreadExitSlotCreate(ThreadExitProc proc) {
    pthread_key_t key;
    const int rc = sys::pthread_key_create(&key, proc);
    if (rc != 0) {
        SetLastErrorFromErrno(rc);
        return kNoThreadExitSlot;
    }
    return uInt32(key);
}

bool ThreadExitSlotSet(uInt32 slot, void* value) {
    const int rc = sys::pthread_setspecific(pthread_key_t(slot), value);
    if (rc != 0) SetLastErrorFromErrno(rc);
    return rc == 0;
}

}  // namespace tq::platform
