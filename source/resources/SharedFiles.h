// The table of shared read-only files: path to {file, share count}. Callers hold SharedFilesLock().
#pragma once

#include "tqcore/resources.h"

namespace tq::resources {

// The file for path with its count raised, or null.
PKResFile* SharedAcquire(const PathRef& path);
// Enters a file with count 1; false when the table cannot grow.
bool SharedEnter(const PathRef& path, PKResFile* file);
// For a closing file: true when others still share it (its count was lowered); otherwise its entry is gone.
bool SharedRelease(const PathRef& path, PKResFile* file);

}  // namespace tq::resources
