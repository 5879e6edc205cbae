// Notice of a thread's end: a slot keeps one value per thread and hands it to the slot's procedure when that
// thread ends. A thread that ends the whole process may not be told.
#pragma once

#include "tqcore/types.h"

namespace tq::platform {

using ThreadExitProc = void (*)(void* value);
inline constexpr uInt32 kNoThreadExitSlot = 0xFFFFFFFF;

// kNoThreadExitSlot when no slot is left (the last error is set).
uInt32 ThreadExitSlotCreate(ThreadExitProc proc);
// Stores the calling thread's value; a null value asks for no notice. False on failure (the last error is
// set).
bool ThreadExitSlotSet(uInt32 slot, void* value);

}  // namespace tq::platform
