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
// Releases a view; an empty one is accepted.
void UnmapView(MappedView* view);

}  // namespace tq::platform
