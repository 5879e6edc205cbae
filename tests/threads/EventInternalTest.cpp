#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "support/Eventually.h"
#include "support/ReportCapture.h"
#include "threads/PlatformEventTimer.h"
#include "threads/ThRecords.h"
#include "tqcore/clocks.h"
#include "tqcore/core.h"
#include "tqcore/threads.h"

namespace {

using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

using tq::test::Eventually;

TEST(ThEventTest, FlagStateTimedWaitsAndReset) {
    ThEvent ev = nullptr;
    ASSERT_EQ(ThEventCreate(&ev, 0, 0), kErrNone);
    ASSERT_NE(ev, nullptr);
    EXPECT_EQ(ThEventWaitWithTimeout(ev, 0), kErrTimeout);

    // Two signals before a wait are one pending signal.
    EXPECT_EQ(ThEventSignal(ev), 0);
    ThEventSignal(ev);
    EXPECT_EQ(ThEventWaitWithTimeout(ev, 0), kErrNone);
    EXPECT_EQ(ThEventWaitWithTimeout(ev, 0), kErrTimeout);

    ThEventSignal(ev);
    EXPECT_EQ(ThEventReset(ev), 1);
    EXPECT_EQ(ThEventReset(ev), 0);
    EXPECT_EQ(ThEventWaitWithTimeout(ev, 0), kErrTimeout);

    const auto start = Clock::now();
    EXPECT_EQ(ThEventWaitWithTimeout(ev, 60), kErrTimeout);
    EXPECT_GE(MsSince(start), 40);  // remaining time is counted on a tick that may be 16 ms coarse
    ThEventDestroy(ev);

    ASSERT_EQ(ThEventCreate(&ev, 0, 1), kErrNone);
    EXPECT_EQ(ThEventWait(ev), kErrNone);
    EXPECT_EQ(ThEventWaitWithTimeout(ev, 0), kErrTimeout);
    ThEventDestroy(ev);

    EXPECT_EQ(ThEventCreate(nullptr, 0, 0), kErrArgument);
    EXPECT_EQ(ThEventWaitWithTimeout(nullptr, 0), kErrArgument);
    EXPECT_EQ(ThEventSignal(nullptr), 0);
    EXPECT_EQ(ThEventReset(nullptr), 0);
}

TEST(ThEventTest, EachSignalReleasesExactlyOneWaiter) {
    ThEvent ev = nullptr;
    ASSERT_EQ(ThEventCreate(&ev, 0, 0), kErrNone);
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
        waiters.emplace_back([&] {
            if (ThEventWaitWithTimeout(ev, 10000) == kErrNone) ++released;
        });
    for (int round = 1; round <= 3; ++round) {
        // Wait until no released waiter can still be on its way out; then one signal frees one more.
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        EXPECT_EQ(released.load(), round - 1);
        ThEventSignal(ev);
        EXPECT_TRUE(Eventually([&] { return released.load() == round; }));
    }
    for (auto& t : waiters) t.join();
    EXPECT_EQ(released.load(), 3);
    EXPECT_EQ(ThEventWaitWithTimeout(ev, 0), kErrTimeout);
    ThEventDestroy(ev);
}

// A producer that signals after every post, mostly while the event is still signalled or its consumer is
// still waking: the consumer, waiting only when it has seen everything posted, is never left waiting.
TEST(ThEventTest, SignalsAfterEveryPostNeverStrandAWaitingConsumer) {
    ThEvent ev = nullptr;
    ASSERT_EQ(ThEventCreate(&ev, 0, 0), kErrNone);
    constexpr int kPosts = 20000;
    std::atomic<int> posted{0};
    std::thread producer([&] {
        for (int i = 1; i <= kPosts; ++i) {
            posted.store(i);
            ThEventSignal(ev);
        }
    });
    int seen = 0;
    bool stranded = false;
    while (seen < kPosts && !stranded) {
        if (posted.load() == seen) stranded = ThEventWaitWithTimeout(ev, 10000) != kErrNone;
        seen = posted.load();
    }
    producer.join();
    EXPECT_FALSE(stranded) << "waiting with " << seen << " of " << kPosts << " seen";
    ThEventDestroy(ev);
}

ThEvent gSignalledWith = nullptr;
void NoteSignal(ThEvent ev) {
    gSignalledWith = ev;
}

TqErr Pump(void* arg) {
    ++*static_cast<int*>(arg);
    return 77;
}

TEST(ThEventTest, CustomSignalMultipleWaitAndPump) {
    ThEvent ev = nullptr, other = nullptr;
    ASSERT_EQ(ThEventCreateWithCustomSignal(&ev, 0, 0, NoteSignal), kErrNone);
    ASSERT_EQ(ThEventCreate(&other, 0, 0), kErrNone);
    ThEventSignal(ev);
    EXPECT_EQ(gSignalledWith, ev);
    EXPECT_EQ(ThEventMsgWaitMultiple(ev, other, 1000, 0), 1);

    // The other event's signal ends the wait with 0 and is consumed.
    ThEventSignal(other);
    EXPECT_EQ(ThEventMsgWaitMultiple(ev, other, 1000, 1), 0);
    EXPECT_EQ(ThEventWaitWithTimeout(other, 0), kErrTimeout);
    EXPECT_EQ(ThEventMsgWaitMultiple(ev, other, 20, 0), 0);
    EXPECT_EQ(ThEventMsgWaitMultiple(nullptr, other, 0, 0), 1);

    // A signal from another thread ends a wait on both.
    std::thread signaller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ThEventSignal(other);
    });
    EXPECT_EQ(ThEventMsgWaitMultiple(ev, other, 5000, 0), 0);
    signaller.join();
    EXPECT_EQ(ThEventWaitWithTimeout(other, 0), kErrTimeout);

    // Other equal to ev is ignored: the wait is on ev alone.
    ThEventSignal(ev);
    EXPECT_EQ(ThEventMsgWaitMultiple(ev, ev, 0, 0), 1);

    int pumped = 0;
    EXPECT_EQ(ThEventWaitAndPump(nullptr, Pump, 0, &pumped), 77);
    EXPECT_EQ(ThEventWaitAndPump(ev, Pump, 0, &pumped), 2);
    EXPECT_EQ(pumped, 2);
    ThEventDestroy(ev);
    ThEventDestroy(other);
}

TEST(ThEventTest, BadRecordsAreReportedNotUsed) {
    ReportCapture capture;
    ThEvent ev = nullptr;
    ASSERT_EQ(ThEventCreate(&ev, 0, 1), kErrNone);
    ev->verifier = TQFourCC("Mutx");
    EXPECT_EQ(ThEventSignal(ev), 0);
    EXPECT_EQ(ThEventWaitWithTimeout(ev, 0), kErrArgument);
    EXPECT_EQ(ThEventReset(ev), 0);
    EXPECT_EQ(capture.Count(kDbgFatal, "Bad verifier in event."), 3);
    ThEventDestroy(ev);
    EXPECT_EQ(capture.Count(kDbgBroken, "Bad ThEvent in ThEventDestroy()"), 1);
    ThEventDestroy(nullptr);
    EXPECT_EQ(capture.Count(kDbgBroken, "Bad ThEvent in ThEventDestroy()"), 2);

    // The record was left intact: with its verifier back it still holds its signal.
    ev->verifier = TQFourCC("Evnt");
    EXPECT_EQ(ThEventWaitWithTimeout(ev, 0), kErrNone);
    ThEventDestroy(ev);
    EXPECT_EQ(capture.All().size(), 5u);
}

}  // namespace

namespace {

TEST(PlatformEventTimerTest, RecordsCountTotalAndExtremes) {
    tq::threads::PlatformEventTimer timer;
    uInt32 count = 99;
    _HRTime total{1, 1}, reserved{1, 1}, min{1, 1}, max{1, 1};
    timer.GetLatencyStats(&count, &total, &reserved, &min, &max);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(HRTimeToSeconds(&total), 0.0);

    timer.Start();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    timer.RecordLatency();
    timer.Start();
    timer.RecordLatency();
    timer.GetLatencyStats(&count, &total, &reserved, &min, &max);
    timer.GetLatencyStats(nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(count, 2u);
    EXPECT_GE(HRTimeToSeconds(&max), 0.004);
    EXPECT_LT(HRTimeToSeconds(&min), HRTimeToSeconds(&max));
    _HRTime sum;
    HRTimeAdd(&min, &max, &sum);
    EXPECT_EQ(HRTimeCompare(&sum, &total), 0);
    EXPECT_EQ(HRTimeToSeconds(&reserved), 0.0);
}

}  // namespace
