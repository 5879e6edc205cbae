// Read-only memory views of whole open files. Any thread; a view is released by the thread that owns it.
#pragma once

#include <cstdint>

#include "tqcore/types.h"

namespace tq::platform {

struct MappedView {
    const uInt8* base = nullptr;
    uInt64 size = 0;
};

// Maps all of an open file (a descriptor on POSIX, a HANDLE on Windows) read-only. False, with the view left
// empty, for an empty file or a failure (the last error then says why).
bool MapWholeFile(intptr_t file, MappedView* view);
// Releases the view starting at base, which callers outside the library know by that address alone (POSIX
// keeps the lengths of the views MapWholeFile made in a table for this). False for an address that starts no
// view made here, or one already released.
bool UnmapView(const void* base);

}  // namespace tq::platform
