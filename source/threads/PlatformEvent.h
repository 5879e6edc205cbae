// Auto-reset event behind an abstract class. The state is a flag, not a count: two signals before a
// wait are consumed by that one wait.
#pragma once

#include "tqcore/clocks.h"
#include "tqcore/core.h"

namespace tq::threads {

typedef TqErr (*PlatformPumpProc)(void* arg);

// Results of Wait and WaitMultiple.
enum : int32 {
    kEventSignalled = 0,
    kEventTimedOut = 1,
    kEventFailed = 2,
    kEventRetry = 3,
};

class PlatformEvent {
  public:
    virtual ~PlatformEvent() = default;
    // 0, or 2 when the native event cannot be made.
    virtual TqErr Create(bool initiallySignalled) = 0;
    // 0, or 42 when the native event cannot be closed.
    virtual TqErr Destroy() = 0;
    // 1 when a waiter may have been woken, else 0.
    virtual int32 Signal() = 0;
    // Consumes a pending signal: 1 when there was one.
    virtual int32 TryWait() = 0;
    // Negative timeouts wait for ever. kEventSignalled or kEventTimedOut.
    virtual int32 Wait(int32 timeoutMs) = 0;
    virtual int32 WaitWithPump(PlatformPumpProc pump, void* arg, int32 timeoutMs) = 0;
    // kEventSignalled (with *otherSignalled or *messageArrived telling why), kEventTimedOut or kEventFailed.
    virtual int32 WaitMultiple(PlatformEvent* other, bool pumpMessages, int32 timeoutMs, bool* messageArrived,
                               bool* otherSignalled) = 0;
    virtual void GetLatencyStats(uInt32* count, _HRTime* total, _HRTime* reserved, _HRTime* min,
                                 _HRTime* max) = 0;
};

// Null when memory or the native event is exhausted.
PlatformEvent* CreatePlatformEvent(bool initiallySignalled);
// Null gives 0; otherwise Destroy's result.
TqErr DestroyPlatformEvent(PlatformEvent* e);

// The one implementation here; CreatePlatformEvent builds it.
PlatformEvent* NewNativePlatformEvent();

}  // namespace tq::threads
