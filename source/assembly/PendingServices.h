// Accessors of the services whose managers are not built yet; each moves to its manager's subsystem when it
// lands.
#pragma once

#include "threads/Services.h"

namespace tq::files {
IServiceObject* FileManagerService();
}
namespace tq::resources {
IServiceObject* ResourceManagerService();
}

TQ_EXTERN_C_BEGIN
TQ_API IServiceObject* PathManagerService(void);
TQ_API IServiceObject* OccurrenceManagerService(void);
TQ_API IServiceObject* HardWaitBehaviorService(void);
TQ_EXTERN_C_END
