#include <gtest/gtest.h>

#include <cstring>

#include "tqcore/memory.h"

namespace {

TEST(BlockOpsTest, MoveHandlesOverlapInBothDirections) {
    char buf[] = "0123456789";
    MoveBlock(buf, buf + 2, 5);
    EXPECT_STREQ(buf, "0101234789");
    MoveBlock(buf + 2, buf, 5);
    EXPECT_STREQ(buf, "0123434789");
    MoveBlock(buf, buf + 5, 0);
    EXPECT_STREQ(buf, "0123434789");
    static int calls = 0;
    MemoryCheckCallback previous = SetMemoryCheckCallback([](int32 code) { calls += code == 0; });
    MoveBlock(buf, buf + 1, 1);
    ClearMem(buf, 3);
    SetMemoryCheckCallback(previous);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(std::memcmp(buf, "\0\0\0", 3), 0);
}

TEST(BlockOpsTest, CompareAndSwap) {
    const uChar a[] = {1, 2, 3, 200};
    const uChar b[] = {1, 2, 3, 4};
    EXPECT_GT(BlockCmp(a, b, 4), 0);
    EXPECT_LT(BlockCmp(b, a, 4), 0);
    EXPECT_EQ(BlockCmp(a, b, 3), 0);
    EXPECT_EQ(BlockCmp(a, b, 0), 0);
    char x[600], y[600];
    std::memset(x, 'x', sizeof x);
    std::memset(y, 'y', sizeof y);
    SwapBlock(x, y, 599);
    EXPECT_EQ(x[0], 'y');
    EXPECT_EQ(x[598], 'y');
    EXPECT_EQ(x[599], 'x');
    EXPECT_EQ(y[598], 'x');
}

TEST(BlockOpsTest, ByteOrderSwaps) {
    uChar q[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    RevBQ(q);
    EXPECT_EQ(std::memcmp(q, "\x08\x07\x06\x05\x04\x03\x02\x01", 8), 0);
    uChar l[4] = {1, 2, 3, 4};
    RevBL(l);
    EXPECT_EQ(std::memcmp(l, "\x04\x03\x02\x01", 4), 0);
    SwapWL(l);
    EXPECT_EQ(std::memcmp(l, "\x02\x01\x04\x03", 4), 0);
    SwapBW(l);
    EXPECT_EQ(std::memcmp(l, "\x01\x02\x04\x03", 4), 0);
}

}  // namespace
