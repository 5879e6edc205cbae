// The dependency list a service fills for its registry.
#define TQ_UNIT "source\\ServiceDependencyList"

#include "core/ServiceDependencyList.h"

#include "diagnostics/Report.h"

namespace tq::core {

ServiceDependencyList::ServiceDependencyList() {
    services_.reserve(kInitialCapacity);
}

void ServiceDependencyList::Add(IServiceObject* service) {
    if (!service) {
        TQ_REPORT(kDbgError, "Cannot add null service dependency to dependency list.");
        return;
    }
    if (Count() >= kMaxEntries) {
        TQ_REPORT(kDbgFatal, "Too many service dependencies (1024).");
        return;
    }
    services_.push_back(service);
}

IServiceObject* ServiceDependencyList::At(int32 index) const {
    if (index < 0 || index >= Count()) {
        TQ_REPORT(kDbgFatal, "Service dependency index ", index, " not in range 0..", Count());
        return nullptr;
    }
    return services_[size_t(index)];
}

}  // namespace tq::core
