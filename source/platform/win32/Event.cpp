// Win32 native events and waiting on one or either of two.
#include "platform/Event.h"

#include <windows.h>

namespace tq::platform {

namespace {
HANDLE H(NativeEvent* e) {
    return reinterpret_cast<HANDLE>(e);
}

DWORD Millis(int32 timeoutMs) {
    return timeoutMs < 0 ? INFINITE : DWORD(timeoutMs);
}
}  // namespace

NativeEvent* NewEvent(bool initiallySignalled) {
    return reinterpret_cast<NativeEvent*>(::CreateEventW(nullptr, FALSE, initiallySignalled, nullptr));
}

bool DeleteEvent(NativeEvent* e) {
    return !e || ::CloseHandle(H(e));
}

void SignalEvent(NativeEvent* e) {
    ::SetEvent(H(e));
}

WaitResult WaitEvent(NativeEvent* e, int32 timeoutMs) {
    switch (::WaitForSingleObject(H(e), Millis(timeoutMs))) {
        case WAIT_OBJECT_0:
            return WaitResult::kSignalled;
        case WAIT_TIMEOUT:
            return WaitResult::kTimeout;
        default:
            return WaitResult::kFailed;
    }
}

WaitResult WaitEitherEvent(NativeEvent* first, NativeEvent* other, bool pumpMessages, int32 timeoutMs) {
    HANDLE both[2] = {H(first), H(other)};
    const DWORD n = other ? 2 : 1;
    const DWORD r = pumpMessages ? ::MsgWaitForMultipleObjectsEx(n, both, Millis(timeoutMs), QS_ALLINPUT,
                                                                 MWMO_INPUTAVAILABLE)
                                 : ::WaitForMultipleObjects(n, both, FALSE, Millis(timeoutMs));
    if (r == WAIT_OBJECT_0) return WaitResult::kSignalled;
    if (r == WAIT_OBJECT_0 + 1 && n == 2) return WaitResult::kOtherSignalled;
    if (r == WAIT_OBJECT_0 + n && pumpMessages) return WaitResult::kMessage;
    return r == WAIT_TIMEOUT ? WaitResult::kTimeout : WaitResult::kFailed;
}

}  // namespace tq::platform
