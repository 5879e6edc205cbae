// Auto-reset native event: a set releases exactly one waiter, or stays set until one arrives.
#pragma once

#include "tqcore/types.h"

namespace tq::platform {

struct NativeEvent;

enum class WaitResult { kSignalled, kOtherSignalled, kTimeout, kMessage, kFailed };

// Negative timeouts wait for ever.
NativeEvent* NewEvent(bool initiallySignalled);
// False when the system refuses to close the event.
bool DeleteEvent(NativeEvent* e);
void SignalEvent(NativeEvent* e);
WaitResult WaitEvent(NativeEvent* e, int32 timeoutMs);
// Waits until either event is set (other may be null), consuming only the one that releases the caller.
// With pumpMessages the wait also ends when window messages arrive (kMessage); a platform without a
// message queue ignores it.
WaitResult WaitEitherEvent(NativeEvent* first, NativeEvent* other, bool pumpMessages, int32 timeoutMs);

}  // namespace tq::platform
