// The coarse millisecond clock: it carries MilliSecs' offset and advances.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "clocks/MillisecsOffset.h"
#include "tqcore/clocks.h"

namespace {

TEST(CoarseMillisecs, CarriesTheOffsetAndAdvances) {
    const uInt32 start = tq::MilliSecsOffset();
    const uInt32 before = tq::CoarseMilliSecs();
    tq::SetMilliSecsOffset(start + 0x80000000u);
    const uInt32 shifted = tq::CoarseMilliSecs();
    tq::SetMilliSecsOffset(start);
    // Half the range away: the shift shows whatever time passed in between (short of 24 days).
    EXPECT_LT(MillisecCmp(shifted, before), 0);
    EXPECT_GE(MillisecCmp(tq::CoarseMilliSecs(), before), 0);
    uInt32 now = tq::CoarseMilliSecs();
    while (now == before) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        now = tq::CoarseMilliSecs();
    }
    EXPECT_GT(MillisecCmp(now, before), 0);
}

}  // namespace
