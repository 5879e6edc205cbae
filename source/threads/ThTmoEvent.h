// Timeout event: Wait returns once the target time (a millisecond clock value, 0 for none) has passed;
// changing the target wakes the waiter so it waits for the new one. Used by the occurrence manager.
#pragma once

#include "tqcore/core.h"

namespace tq::threads {

// Wait's results: the target passed, or the native wait failed.
inline constexpr uInt32 kTmoWaitTimeout = 258;
inline constexpr uInt32 kTmoWaitFailed = 0xFFFFFFFF;

class ThTmoEvent {
  public:
    virtual ~ThTmoEvent() = default;
    virtual void ChangeTmo(uInt32 target) = 0;
    virtual uInt32 Wait() = 0;

    int32 verifier = 0;
};

// Null when memory or the native objects are exhausted.
ThTmoEvent* NewNativeTmoEvent(bool initiallySignalled);

// 0 and the event (caller owns it, ThTmoEventDestroy), kErrArgument for a null ev, or kErrMemoryFull.
TqErr ThTmoEventCreate(ThTmoEvent** ev, bool initiallySignalled);
void ThTmoEventChangeTmo(ThTmoEvent* ev, uInt32 target);
// kTmoWaitTimeout, or kTmoWaitFailed (also for a bad record).
uInt32 ThTmoEventWait(ThTmoEvent* ev);
void ThTmoEventDestroy(ThTmoEvent* ev);

}  // namespace tq::threads
