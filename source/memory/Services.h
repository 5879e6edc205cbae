// The memory subsystem's service accessors; the library's assembly starts them.
#pragma once

#include "tqcore/core.h"

namespace tq::memory {

IServiceObject* TrackedMallocFreeService();

}  // namespace tq::memory

TQ_EXTERN_C_BEGIN
TQ_API IServiceObject* MemoryManagerService(void);
TQ_EXTERN_C_END
