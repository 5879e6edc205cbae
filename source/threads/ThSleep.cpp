// Sleeping, waiting until a time and yielding.
#include "platform/Thread.h"
#include "tqcore/clocks.h"
#include "tqcore/threads.h"

void ThSleep(uInt32 ms) {
    tq::platform::SleepMs(ms);
}

void ThYield(void) {
    tq::platform::YieldThread();
}

uInt32 ThWaitTill(uInt32 target, uInt32 now) {
    const int32 ahead = MillisecCmp(target, now);
    if (ahead <= 0) return now;
    // One millisecond short leaves room for the scheduler's wake-up delay.
    tq::platform::SleepMs(uInt32(ahead >= 2 ? ahead - 1 : ahead));
    return MilliSecs();
}
