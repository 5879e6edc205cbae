#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "memory/MemoryManager.h"
#include "platform/PoolHeap.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"

namespace {

using namespace tq::platform;

void Collect(void* context, const void* block, uInt64 size, bool inUse) {
    if (inUse) (*static_cast<std::map<const void*, uInt64>*>(context))[block] = size;
}

TEST(PoolHeapTest, WalkAndTotalsSeeEveryLiveBlock) {
    const PoolTotals before = PoolGetTotals();
    void* a = PoolAllocate(24);
    void* b = PoolAllocate(5000);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 16, 0u);
    std::memset(b, 7, 5000);
    b = PoolResize(b, 9000);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(static_cast<uChar*>(b)[4999], 7);
    std::map<const void*, uInt64> seen;
    EXPECT_TRUE(PoolWalk(Collect, &seen));
    ASSERT_EQ(seen.count(a), 1u);
    ASSERT_EQ(seen.count(b), 1u);
    EXPECT_GE(seen[a], 24u);
    EXPECT_GE(seen[b], 9000u);
    const PoolTotals during = PoolGetTotals();
    EXPECT_EQ(during.usedBlocks, before.usedBlocks + 2);
    EXPECT_GE(during.usedBytes, before.usedBytes + 24 + 9000);
    EXPECT_GE(during.heldBytes, during.usedBytes);
    EXPECT_TRUE(PoolCheck());
    PoolFree(a);
    PoolFree(b);
    PoolFree(nullptr);
    EXPECT_EQ(PoolGetTotals().usedBlocks, before.usedBlocks);
    seen.clear();
    EXPECT_TRUE(PoolWalk(Collect, &seen));
    EXPECT_EQ(seen.count(a), 0u);
}

TEST(PoolHeapDeathTest, ReleasingThePoolLeavesAWorkingEmptyZone) {
    EXPECT_EXIT(
        {
            UHandle h = DSNewHandle(100);
            UPtr p = DSNewPtr(100);
            const bool had = h && p && PoolGetTotals().usedBlocks >= 2;
            FreeSmartHeapPool();
            const bool emptied = PoolGetTotals().usedBlocks == 0 && tq::memory::LiveHandleCount() == 0;
            UHandle again = DSNewHandle(10);
            const bool works = again && IsDSHandle(again) && DSDisposeHandle(again) == kErrNone;
            std::_Exit(had && emptied && works ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
