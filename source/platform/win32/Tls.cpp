// Win32 thread-local storage slots.
#include "platform/Tls.h"

#include <windows.h>

#include "platform/LastError.h"

namespace tq::platform {

static_assert(TLS_OUT_OF_INDEXES == kNoTlsKey, "the failure value is passed through");

uInt32 TlsAllocate() {
    const DWORD key = ::TlsAlloc();
    if (key == TLS_OUT_OF_INDEXES) SetLastError(::GetLastError());
    return key;
}

bool TlsRelease(uInt32 key) {
    if (::TlsFree(key)) return true;
    SetLastError(::GetLastError());
    return false;
}

void* TlsGet(uInt32 key) {
    return ::TlsGetValue(key);
}

bool TlsSet(uInt32 key, void* value) {
    if (::TlsSetValue(key, value)) return true;
    SetLastError(::GetLastError());
    return false;
}

}  // namespace tq::platform
