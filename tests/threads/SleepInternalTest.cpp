#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/ReportCapture.h"
#include "threads/ThRecords.h"
#include "threads/ThTmoEvent.h"
#include "tqcore/clocks.h"
#include "tqcore/threads.h"

namespace {

using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST(ThSleepTest, WaitTillComparesWithWrapAround) {
    EXPECT_EQ(ThWaitTill(1000, 1000), 1000u);
    EXPECT_EQ(ThWaitTill(999, 1000), 1000u);
    EXPECT_EQ(ThWaitTill(0x7FFFFFF0u, 0xFFFFFFF0u), 0xFFFFFFF0u);  // target is behind, across the wrap

    auto start = Clock::now();
    const uInt32 now = MilliSecs();
    const uInt32 woke = ThWaitTill(now + 5, now);
    EXPECT_GE(MsSince(start), 4);
    // The tick moves in steps of 10 to 16 ms on Windows: only its direction is sure.
    EXPECT_GE(MillisecCmp(woke, now), 0);
    EXPECT_LE(MillisecCmp(woke, MilliSecs()), 0);

    // 0xFFFFFFFE + 8 wraps to 6: still ahead, so it sleeps about 7 ms.
    start = Clock::now();
    ThWaitTill(6, 0xFFFFFFFEu);
    EXPECT_GE(MsSince(start), 7);

    start = Clock::now();
    ThSleep(10);
    EXPECT_GE(MsSince(start), 10);
    ThYield();
}

TEST(ThTmoEventTest, WaitsForTheTargetAndFollowsChanges) {
    tq::threads::ThTmoEvent* ev = nullptr;
    ASSERT_EQ(tq::threads::ThTmoEventCreate(&ev, false), kErrNone);

    tq::threads::ThTmoEventChangeTmo(ev, MilliSecs() - 5);
    EXPECT_EQ(tq::threads::ThTmoEventWait(ev), tq::threads::kTmoWaitTimeout);

    auto start = Clock::now();
    tq::threads::ThTmoEventChangeTmo(ev, MilliSecs() + 40);
    EXPECT_EQ(tq::threads::ThTmoEventWait(ev), tq::threads::kTmoWaitTimeout);
    EXPECT_GE(MsSince(start), 20);  // the target is counted on a tick that may be 16 ms coarse

    // Without a target the wait lasts until another thread sets one.
    tq::threads::ThTmoEventChangeTmo(ev, 0);
    start = Clock::now();
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        tq::threads::ThTmoEventChangeTmo(ev, MilliSecs() + 20);
    });
    EXPECT_EQ(tq::threads::ThTmoEventWait(ev), tq::threads::kTmoWaitTimeout);
    EXPECT_GE(MsSince(start), 30);
    setter.join();
    tq::threads::ThTmoEventDestroy(ev);
}

TEST(ThTmoEventTest, BadRecordsAreReported) {
    ReportCapture capture;
    tq::threads::ThTmoEvent* ev = nullptr;
    ASSERT_EQ(tq::threads::ThTmoEventCreate(&ev, false), kErrNone);
    ev->verifier = TQFourCC("Evnt");
    tq::threads::ThTmoEventChangeTmo(ev, 1);
    EXPECT_EQ(tq::threads::ThTmoEventWait(ev), tq::threads::kTmoWaitFailed);
    tq::threads::ThTmoEventDestroy(ev);
    EXPECT_EQ(capture.Count(kDbgFatal, "Bad ThTmoEvent in ThTmoEventChangeTmo()"), 1);
    EXPECT_EQ(capture.Count(kDbgFatal, "Bad ThTmoEvent in ThTmoEventWait()"), 1);
    EXPECT_EQ(capture.Count(kDbgBroken, "Bad ThTmoEvent in ThTmoEventDestroy()"), 1);
    ev->verifier = TQFourCC("TmEv");
    tq::threads::ThTmoEventDestroy(ev);
    EXPECT_EQ(tq::threads::ThTmoEventCreate(nullptr, false), kErrArgument);
}

}  // namespace
