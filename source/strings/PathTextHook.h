// How the formatting engine prints a path (%z) without depending on the path subsystem, which installs these.
#pragma once

#include "tqcore/types.h"

namespace tq::strings {

struct PathTextHooks {
    // Writes the display text of path into buf (size bytes, no terminator needed); returns its full length.
    int32 (*text)(const void* path, uChar* buf, int32 size);
    // The Pascal string shown instead of a text of 253 bytes or more.
    ConstPStr (*tooLong)();
};

void SetPathTextHooks(const PathTextHooks* hooks);
const PathTextHooks* GetPathTextHooks();

}  // namespace tq::strings
