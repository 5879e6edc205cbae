// Accessors of every manager's service singleton. Each creates its service on first call and takes no lock.
// A manager's unit defines its own accessor beside its service class; ServicePlaceholders.cpp holds the
// services whose managers do no start work yet.
#pragma once

#include "tqcore/core.h"

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

// Exported accessors (C linkage).
TQ_EXTERN_C_BEGIN
TQ_API IServiceObject* ProtectedAtomicOperationsService(void);
TQ_API IServiceObject* MemoryManagerService(void);
TQ_API IServiceObject* PathManagerService(void);
TQ_API IServiceObject* OccurrenceManagerService(void);
TQ_API IServiceObject* HardWaitBehaviorService(void);
TQ_EXTERN_C_END
