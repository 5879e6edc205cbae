// Internal view of the occurrence manager, for the units and tests beside it.
#pragma once

#include "tqcore/threads.h"

namespace tq::occurrences {

// The manager thread while the service runs, else null.
ThThread OccurrenceManagerThread();

}  // namespace tq::occurrences
