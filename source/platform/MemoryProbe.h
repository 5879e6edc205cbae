// Reading bytes of this process at addresses that may not be readable, without faulting.
#pragma once

#include <stddef.h>

#include "tqcore/types.h"

namespace tq::platform {

// Copies the byte at `address` into `out` and returns true, or returns false when it cannot be read.
bool ReadOwnMemoryByte(const void* address, uInt8* out);

// `size` readable and writable bytes (at most one page) that end exactly where an unreadable page begins:
// a known unreadable address for callers that must show what happens there. Null on failure.
uInt8* AllocateBytesBeforeUnreadablePage(size_t size);
void FreeBytesBeforeUnreadablePage(uInt8* bytes);

}  // namespace tq::platform
