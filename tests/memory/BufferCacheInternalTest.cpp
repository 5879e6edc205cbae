#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <thread>
#include <vector>

#include "memory/BufferCache.h"
#include "memory/MemoryManager.h"
#include "support/ReportCapture.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"

namespace {

using tq::memory::GetBufferCacheContents;

bool Aligned(UHandle h, uInt64 align, uInt64 offset) {
    return (reinterpret_cast<uintptr_t>(*h) + offset) % align == 0;
}

class BufferCacheTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(tq::memory::CreateBufferCache());
        tq::memory::SetBufferCacheSettings({});
    }
    void TearDown() override {
        tq::memory::ReleaseBufferCache();
        tq::memory::SetBufferCacheSettings({});
    }
    // A handle of size bytes disposed through the cache; its data address.
    static uChar* Cache(uInt64 size) {
        UHandle h = DSNewHandle(size);
        EXPECT_NE(h, nullptr);
        uChar* data = *h;
        EXPECT_EQ(DSDisposeHandleCache(h), kErrNone);
        return data;
    }
};

TEST_F(BufferCacheTest, ADisposedBufferIsReusedForTheSameSize) {
    uChar* data = Cache(20000);
    EXPECT_EQ(GetBufferCacheContents().count, 1u);
    EXPECT_EQ(GetBufferCacheContents().bytes, 20000u);
    UHandle h = DSNewHandleCache(20000);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(*h, data);
    EXPECT_EQ(DSGetHandleSize(h), 20000);
    EXPECT_EQ(GetBufferCacheContents().count, 0u);
    EXPECT_EQ(DSDisposeHandle(h), kErrNone);
    EXPECT_EQ(GetBufferCacheContents().count, 0u);
}

TEST_F(BufferCacheTest, ALargerBufferServesOnlyWithinTheResizeFactor) {
    Cache(40000);
    UHandle small = DSNewHandleCache(20000);  // 20000 x 1.5 < 40000
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(GetBufferCacheContents().count, 1u);
    UHandle h = DSNewHClrCache(30000);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GetBufferCacheContents().count, 0u);
    EXPECT_EQ(DSGetHandleSize(h), 30000);
    EXPECT_TRUE(Aligned(h, 64, 8));
    std::vector<uChar> zeros(30000, 0);
    EXPECT_EQ(std::memcmp(*h, zeros.data(), zeros.size()), 0);
    std::memset(*h, 0x5a, 30000);
    EXPECT_EQ(DSSetHandleSize(h, 31000), kErrNone);
    EXPECT_EQ((*h)[29999], 0x5a);
    EXPECT_EQ(DSDisposeHandle(h), kErrNone);
    EXPECT_EQ(DSDisposeHandle(small), kErrNone);
}

TEST_F(BufferCacheTest, SmallAndHugeBlocksAreFreedAtOnce) {
    Cache(10000);
    EXPECT_EQ(GetBufferCacheContents().count, 0u);
    tq::memory::SetBufferCacheSettings({16384, 5, 100000, 1.5f});
    Cache(100000);  // at the threshold
    EXPECT_EQ(GetBufferCacheContents().count, 0u);
    Cache(60000);
    Cache(50000);  // the total would pass the threshold: the newest goes
    EXPECT_EQ(GetBufferCacheContents().count, 1u);
    EXPECT_EQ(GetBufferCacheContents().bytes, 60000u);
}

TEST_F(BufferCacheTest, TheSixthBufferIsFreedWithTheDefaultMaximum) {
    for (uInt64 i = 0; i < 6; ++i) Cache(20000 + 8 * i);
    EXPECT_EQ(GetBufferCacheContents().count, 5u);
    EXPECT_EQ(GetBufferCacheContents().bytes, 5 * 20000u + 8 * (0 + 1 + 2 + 3 + 4));
    // The smallest buffer of at least the size is taken.
    UHandle h = DSNewHandleCache(20016);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GetBufferCacheContents().count, 4u);
    EXPECT_EQ(GetBufferCacheContents().bytes, 5 * 20000u + 8 * 10 - 20016);
    EXPECT_EQ(DSDisposeHandle(h), kErrNone);
}

TEST_F(BufferCacheTest, AnExactSizeOfAnotherAlignmentIsNotTaken) {
    UHandle h = DSNewAlignedHandle(20000, 8, 8);
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(DSDisposeHandleCache(h), kErrNone);
    ASSERT_EQ(GetBufferCacheContents().count, 1u);
    UHandle again = DSNewHandleCache(20000);  // asks for 64-byte alignment
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(GetBufferCacheContents().count, 1u);
    EXPECT_TRUE(Aligned(again, 64, 8));
    EXPECT_EQ(DSDisposeHandle(again), kErrNone);
}

TEST_F(BufferCacheTest, GrowingThroughTheCacheTakesACachedBlockAndKeepsTheBytes) {
    Cache(40000);
    UHandle h = DSNewHandle(100);
    ASSERT_NE(h, nullptr);
    std::iota(*h, *h + 100, uChar(0));
    ASSERT_EQ(DSSetHSzClrCache(h, 30000), kErrNone);
    EXPECT_EQ(GetBufferCacheContents().count, 0u);
    EXPECT_EQ(DSGetHandleSize(h), 30000);
    for (int i = 0; i < 100; ++i) ASSERT_EQ((*h)[i], uChar(i));
    for (int i = 100; i < 30000; ++i) ASSERT_EQ((*h)[i], 0) << i;
    UHandle none = nullptr;
    ASSERT_EQ(DSSetHandleSizeOrNewHandleCache(&none, 20000), kErrNone);
    ASSERT_EQ(DSDisposeHandleCache(h), kErrNone);
    EXPECT_EQ(GetBufferCacheContents().count, 1u);
    ASSERT_EQ(DSDisposeHandleCache(none), kErrNone);
    EXPECT_EQ(GetBufferCacheContents().count, 2u);
}

TEST_F(BufferCacheTest, WithoutTheCacheEveryRequestBypassesIt) {
    tq::memory::ReleaseBufferCache();
    Cache(20000);
    EXPECT_EQ(GetBufferCacheContents().count, 0u);
    UHandle h = DSNewHandleCache(20000);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(DSDisposeHandleCache(h), kErrNone);
    EXPECT_EQ(DSDisposeHandleCache(h), kErrBadHandle);  // reported as a deallocated pointer
}

TEST_F(BufferCacheTest, ReusedBlocksCarryFreshGuards) {
    ReportCapture capture;
    tq::memory::ReleaseBufferCache();
    ASSERT_TRUE(tq::memory::SetHandleAndPtrGuardModes(kGuardModeCheck, kGuardModeOff));
    ASSERT_TRUE(tq::memory::CreateBufferCache());
    Cache(40000);
    UHandle h = DSNewHandleCache(30000);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GetBufferCacheContents().count, 0u);
    EXPECT_EQ(DSCheckHandle(h), kErrNone);
    (*h)[30000] = 0;  // the rear guard sits right after the new size
    EXPECT_EQ(DSCheckHandleGuardBytes(h), 0);
    (*h)[30000] = 'P';
    EXPECT_EQ(DSDisposeHandleCache(h), kErrNone);
    EXPECT_EQ(GetBufferCacheContents().count, 1u);
    tq::memory::ReleaseBufferCache();
    EXPECT_TRUE(tq::memory::SetHandleAndPtrGuardModes(kGuardModeOff, kGuardModeOff));
    ASSERT_TRUE(tq::memory::CreateBufferCache());
}

TEST_F(BufferCacheTest, TheInterfacesStandForTheirOperations) {
    const CachedHandleAllocationInterface cached;
    const NormalHandleAllocationInterface normal;
    const HandleAllocationInterface& c = cached;
    const HandleAllocationInterface& n = normal;
    UHandle a = c.AllocateHandleClr(20000);
    ASSERT_NE(a, nullptr);
    uChar* data = *a;
    EXPECT_EQ(c.DeallocateHandle(a), kErrNone);
    EXPECT_EQ(GetBufferCacheContents().count, 1u);
    UHandle b = n.AllocateHandle(20000);
    EXPECT_EQ(GetBufferCacheContents().count, 1u);
    UHandle d = c.AllocateHandle(20000);
    EXPECT_EQ(*d, data);
    EXPECT_EQ(n.ResizeHandle(d, 10), kErrNone);
    EXPECT_EQ(n.ResizeHandleClr(d, 20), kErrNone);
    EXPECT_EQ(c.ResizeHandle(d, 30), kErrNone);
    EXPECT_EQ(c.ResizeHandleClr(d, 40), kErrNone);
    EXPECT_EQ((*d)[39], 0);
    UHandle e = nullptr;
    EXPECT_EQ(n.ResizeHandleOrAllocateHandle(&e, 5), kErrNone);
    EXPECT_EQ(c.ResizeHandleOrAllocateHandleClr(&e, 50), kErrNone);
    EXPECT_EQ(DSGetHandleSize(e), 50);
    EXPECT_EQ(n.DeallocateHandle(b), kErrNone);
    EXPECT_EQ(n.DeallocateHandle(d), kErrNone);
    EXPECT_EQ(c.DeallocateHandle(e), kErrNone);
    EXPECT_EQ(GetBufferCacheContents().count, 0u);
    ReportCapture capture;
    EXPECT_EQ(n.DeallocateHandle(d), kErrBadHandle);
    EXPECT_EQ(ReportCapture::Count(kDbgError, "Memory error 3 in DSDisposeHandle"), 1);
    EXPECT_EQ(c.DeallocateHandle(d), kErrBadHandle);
    EXPECT_EQ(ReportCapture::Count(kDbgError, "Memory error 3 in DSDisposeHandleCache"), 1);
    EXPECT_EQ(c.ResizeHandle(d, 1), kErrBadHandle);
    EXPECT_EQ(ReportCapture::Count(kDbgError, "Memory error 3 in DSSetHandleSizeCache"), 1);
    EXPECT_EQ(c.AllocateHandle(uInt64(1) << 60), nullptr);
    EXPECT_EQ(ReportCapture::Count(kDbgError, "Memory error 2 in DSNewHandleCache"), 1);
}

TEST_F(BufferCacheTest, ThreadsShareTheCacheWithoutMixingBuffers) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 2000;
    std::vector<int> bad(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &bad] {
            for (int i = 0; i < kRounds; ++i) {
                const uInt64 size = 20000 + 8 * uInt64((i + t) % 4);
                UHandle h = (i % 3) ? DSNewHandleCache(size) : DSNewHClrCache(size);
                if (!h) {
                    ++bad[t];
                    continue;
                }
                std::memset(*h, t + 1, size);
                if ((*h)[0] != t + 1 || (*h)[size - 1] != t + 1 || DSGetHandleSize(h) != int64(size))
                    ++bad[t];
                if (DSDisposeHandleCache(h) != kErrNone) ++bad[t];
            }
        });
    }
    for (std::thread& th : threads) th.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(bad[t], 0) << t;
    const auto contents = GetBufferCacheContents();
    EXPECT_LE(contents.count, 5u);
    EXPECT_GE(contents.bytes, contents.count * 20000);
    EXPECT_LE(contents.bytes, contents.count * 20024);
}

}  // namespace
