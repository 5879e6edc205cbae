// Win32 last error.
#include "platform/LastError.h"

#include <windows.h>

namespace tq::platform {

// The OS keeps the per-thread value; our numbers are its numbers.
uInt32 GetLastError() {
    return ::GetLastError();
}

void SetLastError(uInt32 code) {
    ::SetLastError(code);
}

}  // namespace tq::platform
