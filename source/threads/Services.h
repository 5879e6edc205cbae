// The threads subsystem's service accessors, and the services above it that ThThread's service depends on.
#pragma once

#include "tqcore/core.h"
#include "tqcore/threads.h"  // the exported accessors

namespace tq::threads {

IServiceObject* ThEventService();
IServiceObject* ThMutexService();
IServiceObject* ThThreadService();

}  // namespace tq::threads

namespace tq::config {

// Defined by the configuration manager's layer, which sits above threads: threads names them as dependencies
// only and never calls into them, so the layering holds for everything but the link.
IServiceObject* ConfigManagerService();
IServiceObject* ConfigCoreTypesService();

}  // namespace tq::config
