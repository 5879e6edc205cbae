// Fiber-local storage: its callback runs with the thread's value when the thread ends.
#include "platform/ThreadExit.h"

#include <windows.h>

#include "platform/LastError.h"

namespace tq::platform {

static_assert(FLS_OUT_OF_INDEXES == kNoThreadExitSlot, "the failure value is passed through");

uInt32 ThreadExitSlotCreate(ThreadExitProc proc) {
    // x64 has one calling convention, so the procedure serves as the callback as it is.
    const DWORD slot = ::FlsAlloc(reinterpret_cast<PFLS_CALLBACK_FUNCTION>(reinterpret_cast<void*>(proc)));
    if (slot == FLS_OUT_OF_INDEXES) SetLastError(::GetLastError());
    return slot;
}

bool ThreadExitSlotSet(uInt32 slot, void* value) {
    if (::FlsSetValue(slot, value)) return true;
    SetLastError(::GetLastError());
    return false;
}

}  // namespace tq::platform
