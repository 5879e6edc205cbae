// One registered service with its place in the start order and the timing of its last start and stop.
#pragma once

#include "core/ServiceDependencyList.h"

namespace tq::core {

struct ServiceRegistryItem {
    explicit ServiceRegistryItem(IServiceObject* s) : service(s) {}

    // Calls the service's Init()/Uninit() between two millisecond readings and keeps the result.
    TqErr Start();
    TqErr Stop();

    IServiceObject* service;  // not owned
    int32 unmetDependencies = 0;
    ServiceDependencyList dependents;
    TqErr startResult = kErrNone;
    uInt32 startBegin = 0;
    uInt32 startEnd = 0;
    TqErr stopResult = kErrNone;
    uInt32 stopBegin = 0;
    uInt32 stopEnd = 0;
};

}  // namespace tq::core
