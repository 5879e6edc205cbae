// The diagnostics subsystem's service accessor; the library's assembly starts it.
#pragma once

#include "tqcore/core.h"

namespace tq::diagnostics {

IServiceObject* DebugStreamService();

}  // namespace tq::diagnostics
