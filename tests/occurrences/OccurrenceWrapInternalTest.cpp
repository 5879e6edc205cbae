// Time limits and timed firings whose deadlines lie beyond the millisecond clock's wrap.
#include <gtest/gtest.h>

#include <atomic>

#include "OccurrenceSupport.h"
#include "clocks/MillisecsOffset.h"

namespace {

using occtest::Eventually;

class OccurrenceWrapTest : public occtest::OccurrenceFixture {
  protected:
    // Moves the clock to 200 ms before the wrap and returns its reading. Nothing waits on a finite time then.
    static uInt32 NearTheWrap() {
        tq::SetMilliSecsOffset(0);
        tq::SetMilliSecsOffset(0xFFFFFFFFu - 200u - MilliSecs());
        return MilliSecs();
    }
    void TearDown() override {
        OccurrenceFixture::TearDown();
        tq::SetMilliSecsOffset(0);
    }
};

struct Ordered {
    std::atomic<int>* sequence;
    std::atomic<int> at{0};
    std::atomic<uInt32> time{0};
};

void Record(void* arg) {
    auto* o = static_cast<Ordered*>(arg);
    o->time = MilliSecs();
    o->at = o->sequence->fetch_add(1) + 1;
}

TEST_F(OccurrenceWrapTest, LimitsBeyondTheWrapRunInDeadlineOrderAndNoneEarly) {
    std::atomic<int> sequence{0};
    Ordered before{&sequence}, after{&sequence}, far{&sequence};
    const Occurrence occ = AllocOccur();
    const OccurHdlr hBefore = AllocThreadSafeOccurHdlr(occ, Record, &before);
    const OccurHdlr hAfter = AllocThreadSafeOccurHdlr(occ, Record, &after);
    const OccurHdlr hFar = AllocThreadSafeOccurHdlr(occ, Record, &far);
    const uInt32 start = NearTheWrap();
    ASSERT_GT(start, 0xFFFFFF00u);
    ASSERT_EQ(OnOccurrenceWithTimeout(hAfter, 1, 400), kErrNone);
    ASSERT_EQ(OnOccurrenceWithTimeout(hFar, 1, 60000), kErrNone);
    ASSERT_EQ(OnOccurrenceWithTimeout(hBefore, 1, 20), kErrNone);
    ASSERT_TRUE(Eventually([&] { return after.at != 0; }));
    EXPECT_EQ(before.at, 1);
    EXPECT_EQ(after.at, 2);
    EXPECT_EQ(far.at, 0);
    EXPECT_GE(MillisecCmp(after.time, start), 400);
    EXPECT_LT(after.time, 0x10000u);  // it ran after the wrap
    EXPECT_EQ(HandlerTimedOut(hAfter), 1);
    // The far one is still waiting for its occurrence.
    Occur(occ);
    EXPECT_EQ(far.at, 3);
    EXPECT_EQ(HandlerTimedOut(hFar), 0);
    for (OccurHdlr h : {hBefore, hAfter, hFar}) DeallocOccurHdlr(h);
    DeallocOccur(occ);
}

TEST_F(OccurrenceWrapTest, TimedFiringsBeyondTheWrapKeepTheirOrder) {
    std::atomic<int> sequence{0};
    Ordered soon{&sequence}, later{&sequence};
    const Occurrence occSoon = AllocOccur();
    const Occurrence occLater = AllocOccur();
    const OccurHdlr hSoon = AllocThreadSafeOccurHdlr(occSoon, Record, &soon);
    const OccurHdlr hLater = AllocThreadSafeOccurHdlr(occLater, Record, &later);
    OnOccurrence(hSoon, 1);
    OnOccurrence(hLater, 1);
    const uInt32 start = NearTheWrap();
    ASSERT_EQ(OccurAtTime(occLater, start + 100000), kErrNone);
    ASSERT_EQ(OccurAtTime(occSoon, start + 300), kErrNone);
    ASSERT_TRUE(Eventually([&] { return soon.at != 0; }));
    EXPECT_GE(MillisecCmp(soon.time, start), 300);
    EXPECT_LT(soon.time, 0x10000u);
    EXPECT_EQ(later.at, 0);
    EXPECT_EQ(CancelOccurAtTime(occLater), kErrNone);
    for (OccurHdlr h : {hSoon, hLater}) DeallocOccurHdlr(h);
    DeallocOccur(occSoon);
    DeallocOccur(occLater);
}

}  // namespace
