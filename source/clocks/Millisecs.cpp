// The millisecond tick clock and its wrap-around comparison.
#include <atomic>

#include "platform/Clock.h"
#include "tqcore/clocks.h"

namespace {
std::atomic<bool> gUseMultimediaTimer{false};
}  // namespace

uInt32 MilliSecs(void) {
    return gUseMultimediaTimer.load(std::memory_order_relaxed) ? tq::platform::MultimediaTime()
                                                               : tq::platform::TickCount();
}

int32 MillisecCmp(uInt32 a, uInt32 b) {
    // Modular difference read as two's complement: within half the range either way it has the right sign.
    return static_cast<int32>(a - b);
}

void MillisecSetUseMultimediaTimer(Bool32 flag) {
    gUseMultimediaTimer.store(flag != 0, std::memory_order_relaxed);
}
