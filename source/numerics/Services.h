// The numerics subsystem's service accessor; the library's assembly starts it.
#pragma once

#include "tqcore/core.h"

namespace tq::numerics {

IServiceObject* FloatingPointConstantsService();

}  // namespace tq::numerics
