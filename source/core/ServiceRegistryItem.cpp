// One service's entry in a registry: its dependents, unmet dependencies and start and stop records.
#include "core/ServiceRegistryItem.h"

#include "tqcore/clocks.h"

namespace tq::core {

TqErr ServiceRegistryItem::Start() {
    startBegin = MilliSecs();
    startResult = service->Init();
    startEnd = MilliSecs();
    return startResult;
}

TqErr ServiceRegistryItem::Stop() {
    stopBegin = MilliSecs();
    stopResult = service->Uninit();
    stopEnd = MilliSecs();
    return stopResult;
}

}  // namespace tq::core
