// Accessors of the services whose managers are not built yet; each moves to its manager's subsystem when it
// lands.
#pragma once

#include "files/Services.h"
#include "threads/Services.h"
#include "tqcore/paths.h"

namespace tq::resources {
IServiceObject* ResourceManagerService();
}
