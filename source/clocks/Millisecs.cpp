// The millisecond tick clock and its wrap-around comparison.
#include <atomic>

#include "clocks/MillisecsOffset.h"
#include "platform/Clock.h"
#include "tqcore/clocks.h"

namespace {
std::atomic<bool> gUseMultimediaTimer{false};
std::atomic<uInt32> gOffset{0};
}  // namespace

void tq::SetMilliSecsOffset(uInt32 offset) {
    gOffset.store(offset, std::memory_order_relaxed);
}

uInt32 tq::MilliSecsOffset() {
    return gOffset.load(std::memory_order_relaxed);
}

uInt32 tq::CoarseMilliSecs() {
    return tq::platform::CoarseTickCount() + gOffset.load(std::memory_order_relaxed);
}

uInt32 MilliSecs(void) {
    const uInt32 tick = gUseMultimediaTimer.load(std::memory_order_relaxed) ? tq::platform::MultimediaTime()
                                                                            : tq::platform::TickCount();
    return tick + gOffset.load(std::memory_order_relaxed);
}

int32 MillisecCmp(uInt32 a, uInt32 b) {
    // Modular difference read as two's complement: within half the range either way it has the right sign.
    return static_cast<int32>(a - b);
}

void MillisecSetUseMultimediaTimer(Bool32 flag) {
    gUseMultimediaTimer.store(flag != 0, std::memory_order_relaxed);
}
