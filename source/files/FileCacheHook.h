// The host's file-cache callback, for the resource-file opener.
#pragma once

#include "tqcore/files.h"

namespace tq::files {

// The installed callback, or null.
IsFileAlreadyInCacheProc FileCacheHook();

}  // namespace tq::files
