// The operating system's clocks: the millisecond ticks, the high-resolution counter and the wall clock.
#pragma once

#include "tqcore/types.h"

namespace tq::platform {

// Milliseconds since the system started, wrapping at 2^32 (GetTickCount).
uInt32 TickCount();
// The same tick from the multimedia timer, at 1 ms resolution (timeGetTime).
uInt32 MultimediaTime();
// A millisecond tick of its own origin, cheaper to read and a few milliseconds coarse: for intervals only.
uInt32 CoarseTickCount();
// The high-resolution counter and its ticks per second (never 0).
uInt64 PerformanceCounter();
uInt64 PerformanceFrequency();
// The wall clock in 100-ns units since 1601-01-01 UTC (a FILETIME as one number).
uInt64 SystemTimeAsFileTime();

}  // namespace tq::platform
