// The strings subsystem's service accessor; the library's assembly starts it.
#pragma once

#include "tqcore/core.h"

namespace tq::strings {

IServiceObject* StringUtilsLocaleCacheService();

}  // namespace tq::strings
