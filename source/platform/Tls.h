// Native thread-local storage: one pointer per thread and key.
#pragma once

#include "tqcore/types.h"

namespace tq::platform {

// Thread-local storage; kNoTlsKey when no key is left.
inline constexpr uInt32 kNoTlsKey = 0xFFFFFFFF;
uInt32 TlsAllocate();
bool TlsRelease(uInt32 key);
void* TlsGet(uInt32 key);
bool TlsSet(uInt32 key, void* value);

}  // namespace tq::platform
