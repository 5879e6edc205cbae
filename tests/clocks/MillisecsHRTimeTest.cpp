#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

#include "tqcore/clocks.h"

namespace {

_HRTime Hr(uInt32 hi, uInt32 lo) {
    return _HRTime{hi, lo};
}

uInt64 Value(const _HRTime& t) {
    return uInt64(t.hi) << 32 | t.lo;
}

// The milliseconds the standard steady clock saw pass while f ran: the most the library's clocks may measure
// over the same calls, however loaded the machine.
template <class F>
double OuterMs(F f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// A coarse millisecond source may step by a whole system tick.
constexpr double kTickMs = 20;

TEST(MillisecsTest, CompareIsSignedDifferenceAcrossTheWrap) {
    EXPECT_EQ(MillisecCmp(5, 0xFFFFFFFBu), 10);
    EXPECT_EQ(MillisecCmp(0xFFFFFFFBu, 5), -10);
    EXPECT_EQ(MillisecCmp(1000, 400), 600);
    EXPECT_EQ(MillisecCmp(400, 1000), -600);
    EXPECT_EQ(MillisecCmp(77, 77), 0);
    // Half the range apart is the limit of what one wrap can tell apart.
    EXPECT_GT(MillisecCmp(0x7FFFFFFFu, 0), 0);
    EXPECT_LT(MillisecCmp(0x80000000u, 0), 0);
}

TEST(MillisecsTest, BothSourcesAdvanceTogether) {
    for (const Bool32 multimedia : {0, 1}) {
        MillisecSetUseMultimediaTimer(multimedia);
        int32 elapsed = 0;
        const double outer = OuterMs([&] {
            const uInt32 before = MilliSecs();
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            elapsed = MillisecCmp(MilliSecs(), before);
        });
        EXPECT_GE(elapsed, 25) << "multimedia " << multimedia;
        EXPECT_LE(elapsed, outer + kTickMs) << "multimedia " << multimedia;
    }
    // The two sources share their origin, up to a tenth of a second.
    int32 apart = 0;
    const double outer = OuterMs([&] {
        MillisecSetUseMultimediaTimer(1);
        const uInt32 fromMultimedia = MilliSecs();
        MillisecSetUseMultimediaTimer(0);
        apart = MillisecCmp(MilliSecs(), fromMultimedia);
    });
    EXPECT_LE(std::abs(apart), outer + 100);
}

TEST(HRTimeTest, RecordStoresHighWordAtLowerAddress) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    _HRTime t;
    HRWallClockTime(&t);
    uInt32 first;
    std::memcpy(&first, &t, sizeof first);
    EXPECT_EQ(first, t.hi);
    _HRTime one = Hr(0, 0);
    SecondsToHRTime(1.0, &one);
    EXPECT_NE(Value(one), 0u);
    uInt32 words[2];
    std::memcpy(words, &one, sizeof words);
    EXPECT_EQ(words[0], uInt32(Value(one) >> 32));
    EXPECT_EQ(words[1], uInt32(Value(one)));
}

TEST(HRTimeTest, WallClockIsMonotonicAndMeasuresSleeps) {
    _HRTime a, b, diff;
    const double outer = OuterMs([&] {
        HRWallClockTime(&a);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        HRWallClockTime(&b);
    });
    EXPECT_EQ(HRTimeCompare(&b, &a), 1);
    HRTimeSubtract(&b, &a, &diff);
    EXPECT_GE(HRTimeToSeconds(&diff), 0.015);
    EXPECT_LE(HRTimeToSeconds(&diff), (outer + 1) / 1000);
    _HRTime last;
    HRWallClockTime(&last);
    for (int i = 0; i < 10000; ++i) {
        _HRTime now;
        HRWallClockTime(&now);
        ASSERT_GE(HRTimeCompare(&now, &last), 0);
        last = now;
    }
}

TEST(HRTimeTest, AddSubtractAndCompareCarryAndWrapOver64Bits) {
    _HRTime out;
    const _HRTime a = Hr(0, 0xFFFFFFFFu), b = Hr(0, 1);
    HRTimeAdd(&a, &b, &out);
    EXPECT_EQ(out.hi, 1u);
    EXPECT_EQ(out.lo, 0u);
    HRTimeSubtract(&out, &b, &out);
    EXPECT_EQ(Value(out), 0xFFFFFFFFu);
    const _HRTime top = Hr(0xFFFFFFFFu, 0xFFFFFFFFu);
    HRTimeAdd(&top, &b, &out);
    EXPECT_EQ(Value(out), 0u);
    HRTimeSubtract(&b, &top, &out);
    EXPECT_EQ(Value(out), 2u);
    HRTimeZero(&out);
    EXPECT_EQ(Value(out), 0u);
    // Comparison treats both words as unsigned.
    const _HRTime big = Hr(0x80000000u, 0), small = Hr(1, 0), lowBig = Hr(1, 0x80000000u);
    EXPECT_EQ(HRTimeCompare(&big, &small), 1);
    EXPECT_EQ(HRTimeCompare(&small, &big), -1);
    EXPECT_EQ(HRTimeCompare(&lowBig, &small), 1);
    EXPECT_EQ(HRTimeCompare(&small, &small), 0);
}

TEST(HRTimeTest, SecondsConversionsTruncateAndKeepTheTopBit) {
    _HRTime t;
    SecondsToHRTime(2.5, &t);
    EXPECT_NEAR(HRTimeToSeconds(&t), 2.5, 1e-6);
    SecondsToHRTime(-0.25, &t);
    EXPECT_EQ(t.hi, 0xFFFFFFFFu) << "negative seconds become a two's-complement count";
    EXPECT_NEAR(HRTimeToSeconds(&t), -0.25, 1e-6);
    // Tick counts of 2^63 and above keep their top bit; read back as signed they are negative.
    _HRTime one;
    SecondsToHRTime(1.0, &one);
    const double ticksPerSecond = double(Value(one));
    SecondsToHRTime(9223372036854775808.0 * 1.5 / ticksPerSecond, &t);
    EXPECT_EQ(t.hi >> 31, 1u);
    EXPECT_NEAR(double(Value(t)) / (9223372036854775808.0 * 1.5), 1.0, 1e-6);
    SecondsToHRTime(std::numeric_limits<double>::quiet_NaN(), &t);
    EXPECT_EQ(Value(t), uInt64(1) << 63);
}

TEST(HRTimeTest, NullPointersAreHarmless) {
    _HRTime t = Hr(3, 4);
    HRWallClockTime(nullptr);
    HRTimeZero(nullptr);
    HRTimeAdd(nullptr, &t, &t);
    EXPECT_EQ(Value(t), Value(Hr(3, 4)));
    EXPECT_EQ(HRTimeCompare(nullptr, &t), -1);
    EXPECT_EQ(HRTimeToSeconds(nullptr), 0.0);
    SecondsToHRTime(1.0, nullptr);
}

TEST(HiResClockTest, ConstructionArithmeticAndUnsignedOrder) {
    EXPECT_EQ(HiResClock().Ticks(), 0);
    EXPECT_EQ(HiResClock(HiResClock::kInitZero).Ticks(), 0);
    EXPECT_EQ(HiResClock(static_cast<HiResClock::InitialValue>(2)).Ticks(), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    HiResClock start, now;
    const double outer = OuterMs([&] {
        start = HiResClock(HiResClock::kInitNow);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        now.SetToNow();
    });
    EXPECT_GT(start.Ticks(), 0);
    EXPECT_TRUE(start < now);
    now -= start;
    EXPECT_GE(now.ToSeconds(), 0.015);
    EXPECT_LE(now.ToSeconds(), (outer + 1) / 1000);

    HiResClock a, b;
    a.FromSeconds(1.5);
    b.FromSeconds(0.5);
    a += b;
    EXPECT_NEAR(a.ToSeconds(), 2.0, 1e-6);
    HiResClock two;
    two.FromSeconds(2.0);
    EXPECT_TRUE(a.IsEqual(two));
    a.SetToZero();
    EXPECT_TRUE(a.IsEqual(HiResClock()));
    // The order is unsigned.
    HiResClock negative, positive;
    negative -= two;
    positive += two;
    EXPECT_LT(negative.Ticks(), 0);
    EXPECT_TRUE(positive < negative);
    EXPECT_FALSE(negative < positive);
}

}  // namespace
