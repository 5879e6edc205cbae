// POSIX thread-local storage slots.
#include "platform/Tls.h"

#include "platform/posix/ErrnoMap.h"
#include "platform/posix/Syscalls.h"

namespace tq::platform {

static_assert(sizeof(pthread_key_t) <= sizeof(uInt32), "keys must fit the exported key type");

uInt32 TlsAllocate() {
    pthread_key_t key;
    const int rc = sys::pthread_key_create(&key, nullptr);
    if (rc != 0) {
        SetLastErrorFromErrno(rc);
        return kNoTlsKey;
    }
    return uInt32(key);
}

bool TlsRelease(uInt32 key) {
    const int rc = sys::pthread_key_delete(pthread_key_t(key));
    if (rc != 0) SetLastErrorFromErrno(rc);
    return rc == 0;
}

void* TlsGet(uInt32 key) {
    return pthread_getspecific(pthread_key_t(key));
}

bool TlsSet(uInt32 key, void* value) {
    const int rc = sys::pthread_setspecific(pthread_key_t(key), value);
    if (rc != 0) SetLastErrorFromErrno(rc);
    return rc == 0;
}

}  // namespace tq::platform
