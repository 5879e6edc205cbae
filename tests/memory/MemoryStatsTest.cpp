#include <gtest/gtest.h>

#include "tqcore/core.h"
#include "tqcore/memory.h"

namespace {

// A live pool block while it exists, so that the pool's figures are not zero.
struct LivePtr {
    UPtr p = DSNewPtr(4096);
    ~LivePtr() { DSDisposePtr(p); }
};

TEST(MemoryStatsTest, TheNineWordsAndTheTwelveOutputsHoldMemoryFiguresAndZeros) {
    EXPECT_EQ(DSMemStats(nullptr), kErrNone);
    LivePtr live;
    uInt64 stats[9];
    for (uInt64& w : stats) w = ~uInt64(0);
    ASSERT_EQ(DSMemStats(stats), kErrNone);
    EXPECT_GT(stats[7], 0u);
    EXPECT_LE(stats[0], stats[7]);
    EXPECT_GE(stats[3], 4096u);
    for (int i : {1, 2, 4, 5, 6, 8}) EXPECT_EQ(stats[i], 0u) << i;
    uInt64 again[9];
    ASSERT_EQ(AZMemStats(again), kErrNone);
    EXPECT_EQ(again[7], stats[7]);
    // The twelve-output form matches the nine words and skips null outputs.
    uInt64 w[10];
    for (uInt64& v : w) v = 7;
    uInt32 high = 7, low = 7;
    ASSERT_EQ(DSMemStats2(&w[0], &w[1], &w[2], &w[3], &w[4], &w[5], &w[6], &w[7], &high, &low, &w[8], &w[9]),
              kErrNone);
    EXPECT_EQ((uInt64(high) << 32) | low, stats[7]);
    EXPECT_GT(w[0], 0u);
    for (int i : {1, 2, 4, 5, 7, 8}) EXPECT_EQ(w[i], 0u) << i;
    EXPECT_GT(w[3], 0u);
    EXPECT_GT(w[6], 0u);  // live pool blocks
    EXPECT_EQ(DSMemStats2(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr),
              kErrNone);
}

TEST(MemoryStatsTest, TheSlowWalkCountsUsedBlocks) {
    uInt64 before[3];
    ASSERT_EQ(DSMemStatsSlow(before), kErrNone);
    constexpr uInt64 kBig = 4 << 20;
    UPtr p = DSNewPtr(kBig);
    ASSERT_NE(p, nullptr);
    uInt64 during[3];
    ASSERT_EQ(DSMemStatsSlow(during), kErrNone);
    EXPECT_GE(during[1], before[1] + kBig);
    EXPECT_GE(during[2], during[1]);
    EXPECT_EQ(DSDisposePtr(p), kErrNone);
    uInt64 after[3];
    ASSERT_EQ(DSMemStatsSlow(after), kErrNone);
    EXPECT_LT(after[1], during[1]);
    EXPECT_EQ(DSMemStatsSlow(nullptr), kErrNone);
}

}  // namespace
