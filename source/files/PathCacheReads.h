// What the file-system members of PathRef read from the path caches.
#pragma once

#include "tqcore/paths.h"

namespace tq::files {

// True when the path's element, or else the nearest ancestor with an "FExists" entry, holds a fresh entry of
// a "CachedPathFlavor" item that says the path does not exist.
bool KnownMissing(const PathRef& p);

}  // namespace tq::files
