// The memory subsystem's service accessors; the library's assembly starts them.
#pragma once

#include "tqcore/core.h"
#include "tqcore/memory.h"  // the exported accessors

namespace tq::memory {

IServiceObject* TrackedMallocFreeService();

}  // namespace tq::memory
