// A handle grown a little at a time: exact sizes, kept bytes, cleared growth and memory given back.
#include <gtest/gtest.h>

#include <algorithm>

#include "tqcore/core.h"
#include "tqcore/memory.h"

namespace {

uChar Pattern(uInt64 i) {
    return uChar(i * 13 + (i >> 8));
}

bool HoldsPattern(UHandle h, uInt64 from, uInt64 to) {
    for (uInt64 i = from; i < to; ++i)
        if ((*h)[i] != Pattern(i)) return false;
    return true;
}

uInt64 Moves() {
    int32 counts[4];
    DSReadCounters(counts);
    return uInt64(uInt32(counts[3]));
}

uInt64 UsedPoolBytes() {
    uInt64 words[3];
    DSMemStatsSlow(words);
    return words[1];
}

TEST(HandleGrowthTest, GrowingInSmallStepsKeepsEveryByteAndMovesRarely) {
    UHandle h = DSNewHandle(8);
    ASSERT_NE(h, nullptr);
    for (uInt64 i = 0; i < 8; ++i) (*h)[i] = Pattern(i);
    const uInt64 movesBefore = Moves();
    constexpr uInt64 kEnd = 64 * 1024;
    for (uInt64 size = 16; size <= kEnd; size += 8) {
        ASSERT_EQ(DSSetHandleSize(h, size), kErrNone) << size;
        ASSERT_EQ(DSGetHandleSize(h), int64(size));
        for (uInt64 i = size - 8; i < size; ++i) (*h)[i] = Pattern(i);
    }
    EXPECT_TRUE(HoldsPattern(h, 0, kEnd));
    // 8,190 growths; the data moves only when the block is enlarged, and each time it takes spare room.
    EXPECT_LT(Moves() - movesBefore, 100u);
    EXPECT_EQ(DSHeapCheck(0), kErrNone);
    EXPECT_EQ(DSDisposeHandle(h), kErrNone);
}

TEST(HandleGrowthTest, GrowthIntoKeptRoomIsClearedWhenAsked) {
    for (uInt64 size : {600u, 5000u, 70000u}) {
        UHandle h = DSNewHandle(size);
        ASSERT_NE(h, nullptr);
        for (uInt64 i = 0; i < size; ++i) (*h)[i] = Pattern(i);
        // A small shrink keeps the block and its stale bytes behind the new end.
        const uInt64 smaller = size - size / 8;
        ASSERT_EQ(DSSetHandleSize(h, smaller), kErrNone);
        ASSERT_EQ(DSGetHandleSize(h), int64(smaller));
        ASSERT_EQ(DSSetHSzClr(h, size), kErrNone);
        EXPECT_TRUE(HoldsPattern(h, 0, smaller)) << size;
        EXPECT_EQ(std::count(*h + smaller, *h + size, 0), int64(size - smaller)) << size;
        // The same through the fixed-layout call that strings use.
        ASSERT_EQ(DSSetAlignedHandleSize(h, smaller, 8, 4), kErrNone);
        ASSERT_EQ(DSSetAlignedHSzClr(h, size + 3, 8, 4), kErrNone);
        EXPECT_TRUE(HoldsPattern(h, 0, smaller)) << size;
        EXPECT_EQ(std::count(*h + smaller, *h + size + 3, 0), int64(size + 3 - smaller)) << size;
        EXPECT_EQ(DSDisposeHandle(h), kErrNone);
    }
    EXPECT_EQ(DSHeapCheck(0), kErrNone);
}

TEST(HandleGrowthTest, ALargeShrinkGivesTheBlockBack) {
    UHandle h = DSNewHandle(64);
    ASSERT_NE(h, nullptr);
    constexpr uInt64 kBig = 4 << 20;
    for (uInt64 size = 1024; size <= kBig; size *= 2) ASSERT_EQ(DSSetHandleSize(h, size), kErrNone);
    for (uInt64 i = 0; i < 100; ++i) (*h)[i] = Pattern(i);
    const uInt64 grown = UsedPoolBytes();
    ASSERT_EQ(DSSetHandleSize(h, 100), kErrNone);
    EXPECT_TRUE(HoldsPattern(h, 0, 100));
    EXPECT_LT(UsedPoolBytes() + kBig / 2, grown);
    EXPECT_EQ(DSDisposeHandle(h), kErrNone);
}

}  // namespace
