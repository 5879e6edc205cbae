// A fixed amount added to every millisecond tick, so tests can run timeouts across the 2^32 wrap. 0 at load;
// change it only while nothing waits on the clock.
#pragma once

#include "tqcore/types.h"

namespace tq {

void SetMilliSecsOffset(uInt32 offset);
uInt32 MilliSecsOffset();
// MilliSecs' offset over a cheaper tick of its own origin, a few milliseconds coarse: for frequent interval
// checks that need no finer time.
uInt32 CoarseMilliSecs();

}  // namespace tq
