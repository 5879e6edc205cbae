// Windows only: critical errors fail the call instead of asking the user.
#include "platform/ErrorMode.h"

#include <windows.h>

namespace tq::platform {

void FailCriticalErrorsQuietly() {
    ::SetErrorMode(::SetErrorMode(0) | SEM_FAILCRITICALERRORS);
}

}  // namespace tq::platform
