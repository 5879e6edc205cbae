// tqcore/paths.h - the path manager.
#pragma once

#include "tqcore/types.h"

TQ_EXTERN_C_BEGIN
// The path manager's service (one of the base services), for hosts that build a registry of their own;
// created on first call, no lock taken.
TQ_API IServiceObject* PathManagerService(void);
TQ_EXTERN_C_END
