// Accessors of every manager's service singleton. Each creates its service on first call and takes no lock.
// A manager's unit defines its own accessor beside its service class; ServicePlaceholders.cpp holds the
// services whose managers do no start work yet.
#pragma once

#include "tqcore/core.h"
// The exported accessors are public: MemoryManagerService (memory.h), PathManagerService (paths.h) and the
// thread services' (threads.h).
#include "tqcore/memory.h"
#include "tqcore/paths.h"
#include "tqcore/threads.h"

namespace tq {

IServiceObject* DebugStreamService();
IServiceObject* FloatingPointConstantsService();
IServiceObject* ThEventService();
IServiceObject* ThMutexService();
IServiceObject* StringUtilsLocaleCacheService();
IServiceObject* TrackedMallocFreeService();
IServiceObject* FileManagerService();
IServiceObject* ConfigManagerService();
IServiceObject* ConfigCoreTypesService();
IServiceObject* ThThreadService();
IServiceObject* ResourceManagerService();

}  // namespace tq
