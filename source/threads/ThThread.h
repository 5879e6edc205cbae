// Internal view of the thread service: the priority table the exported calls use.
#pragma once

#include "tqcore/threads.h"

namespace tq::threads {

// The priority level a native priority falls in: the lowest level whose native value is at least it.
int32 PriorityLevelForNative(int32 nativePriority);

// The native priority configured for a level: the token's value, or the default when it is absent.
int32 ReadPriorityToken(const char* token, int32 fallback);

}  // namespace tq::threads
