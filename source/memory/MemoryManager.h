// Internal view of the memory manager for the other memory units and the tests.
#pragma once

#include "tqcore/memory.h"

namespace tq::memory {

// Handles currently live in the zone.
int64 LiveHandleCount();
// Changes the handle and pointer guard modes; refused (false) while any handle is live, since the guard room
// of existing blocks must not change under them. Pointers are the caller's to have disposed.
bool SetHandleAndPtrGuardModes(uInt32 handles, uInt32 ptrs);

}  // namespace tq::memory
