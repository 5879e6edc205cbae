// The resource files' service accessor and the setting hook; the library's assembly starts the service.
#pragma once

#include "tqcore/core.h"

namespace tq::resources {

IServiceObject* ResourceManagerService();
// The two settings the configuration layer reads at start ("UseWeakRsrcFileValidation",
// "ShareReadOnlyResourceFiles"); takes effect for files opened afterwards.
void ApplyResourceSettings(bool weakValidation, bool shareReadOnly);

}  // namespace tq::resources
