// The files subsystem's service accessor; the library's assembly starts it.
#pragma once

#include "tqcore/core.h"

namespace tq::files {

IServiceObject* FileManagerService();

}  // namespace tq::files
