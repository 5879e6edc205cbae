#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "memory/MemoryManager.h"
#include "memory/ThreadCache.h"
#include "platform/PoolHeap.h"
#include "support/ReportCapture.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"

namespace {

struct Counts {
    int32 v[4];
    Counts() { DSReadCounters(v); }
};

// A one-shot signal between threads.
struct Gate {
    std::atomic<bool> open{false};
    void Open() { open.store(true, std::memory_order_release); }
    void Wait() {
        while (!open.load(std::memory_order_acquire)) std::this_thread::yield();
    }
};

void Stamp(UHandle h, uChar tag) {
    std::memset(*h, tag, size_t(DSGetHandleSize(h)));
}

bool Carries(UHandle h, uChar tag) {
    const int64 n = DSGetHandleSize(h);
    return std::all_of(*h, *h + n, [&](uChar c) { return c == tag; });
}

// The alignment rule for the default layout of a handle of n bytes.
bool Aligned(UHandle h, uInt64 n) {
    const uInt64 align = n < 1024 ? 8 : n < 0x100000 ? 64 : 4096;
    const uInt64 offset = n % 8 == 0 ? 8 : n % 8 == 4 ? 4 : (align == 8 ? 8 : 0);
    return (reinterpret_cast<uintptr_t>(*h) + offset) % align == 0;
}

TEST(ThreadCacheTest, HandlesCrossThreadsAndNothingStaysBehindWhenThreadsEnd) {
    ReportCapture capture;
    DSDisposeHandle(DSNewHandle(1));  // the zone's first master-pointer block stays; make it now
    tq::memory::FlushThreadCache();
    const int64 live = tq::memory::LiveHandleCount();
    const uInt64 poolBlocks = tq::platform::PoolGetTotals().usedBlocks;
    const Counts before;
    constexpr int kMade = 300;  // several batches of master pointers

    std::vector<UHandle> made;
    Gate madeAll, finish;
    std::thread maker([&] {
        for (int i = 0; i < kMade; ++i) {
            UHandle h = DSNewHandle(uInt64(i % 5000));
            if (h) Stamp(h, uChar(i));
            made.push_back(h);
        }
        madeAll.Open();
        finish.Wait();
        for (int i = 0; i < 5; ++i) DSDisposeHandle(DSNewHandle(8));
    });
    madeAll.Wait();
    // The maker still runs: its share of the counters must already show.
    EXPECT_EQ(Counts().v[0] - before.v[0], kMade);
    EXPECT_EQ(tq::memory::LiveHandleCount(), live + kMade);

    std::atomic<int> bad{0};
    std::thread disposer([&] {
        for (int i = 0; i < kMade; ++i) {
            UHandle h = made[size_t(i)];
            if (!h || !Carries(h, uChar(i)) || DSDisposeHandle(h) != kErrNone) ++bad;
        }
    });
    disposer.join();
    EXPECT_EQ(bad.load(), 0);
    // The disposer kept master pointers and blocks in its cache; its end must have given them all back.
    EXPECT_EQ(tq::memory::LiveHandleCount(), live);
    EXPECT_EQ(tq::platform::PoolGetTotals().usedBlocks, poolBlocks);
    EXPECT_EQ(DSDisposeHandle(made[7]), kErrBadHandle);  // still caught as freed
    EXPECT_EQ(ReportCapture::Count(kDbgNote, "Deallocated or possibly invalid pointer"), 1);

    const int32 set[4] = {10, 20, 30, 40};
    DSSetCounters(set);
    finish.Open();
    maker.join();
    const Counts after;
    EXPECT_EQ(after.v[0], 15);
    EXPECT_EQ(after.v[1], 20);
    EXPECT_EQ(after.v[2], 30);
    EXPECT_EQ(after.v[3], 40);
    EXPECT_EQ(tq::memory::LiveHandleCount(), live);
}

// Blocks handed back are reused for other sizes; each must still hold its handle with the layout intact.
TEST(ThreadCacheTest, ReusedBlocksFitEverySize) {
    std::mt19937 rng(7);
    std::vector<uInt64> sizes;
    for (uInt64 n = 0; n <= 9000; n += 1 + n / 16) sizes.push_back(n);
    for (uInt64 n : {120u, 124u, 127u, 128u, 129u, 1020u, 1023u, 1024u, 8100u, 8160u, 8192u})
        sizes.push_back(n);
    std::vector<UHandle> live;
    int bad = 0;
    for (int round = 0; round < 6; ++round) {
        std::shuffle(sizes.begin(), sizes.end(), rng);
        for (uInt64 n : sizes) {
            UHandle h = rng() % 3 ? DSNewHandle(n) : DSNewHClr(n);
            if (!h || !Aligned(h, n) || DSGetHandleSize(h) != int64(n)) {
                ++bad;
                continue;
            }
            Stamp(h, uChar(n));
            live.push_back(h);
        }
        std::shuffle(live.begin(), live.end(), rng);
        for (size_t i = 0; i < live.size(); ++i) {
            const uInt64 n = uInt64(DSGetHandleSize(live[i]));
            if (!Carries(live[i], uChar(n))) ++bad;
            if (i % 3 == 0) {
                const uInt64 to = sizes[i % sizes.size()];
                if (DSSetHandleSize(live[i], to) != kErrNone || !Aligned(live[i], to)) ++bad;
                Stamp(live[i], uChar(to));
            }
        }
        // Half go back to the cache before the next round takes blocks again.
        for (size_t i = live.size() / 2; i < live.size(); ++i)
            if (DSDisposeHandle(live[i]) != kErrNone) ++bad;
        live.resize(live.size() / 2);
    }
    for (UHandle h : live) {
        if (!Carries(h, uChar(DSGetHandleSize(h)))) ++bad;
        DSDisposeHandle(h);
    }
    EXPECT_EQ(bad, 0);
    EXPECT_EQ(DSHeapCheck(0), kErrNone);
}

// Another thread's cache still holds master pointers and blocks when the pool is released under it.
int ReleaseUnderAnotherThreadsCache() {
    Gate filled;
    Gate released;
    std::atomic<bool> works{false};
    std::thread user([&] {
        for (int i = 0; i < 10; ++i) DSDisposeHandle(DSNewHandle(40));
        filled.Open();
        released.Wait();
        UHandle h = DSNewHandle(40);
        works = h && IsDSHandle(h) && DSGetHandleSize(h) == 40 && DSDisposeHandle(h) == kErrNone;
    });
    filled.Wait();
    FreeSmartHeapPool();
    const bool emptied = tq::platform::PoolGetTotals().usedBlocks == 0;
    released.Open();
    user.join();
    return emptied && works && tq::memory::LiveHandleCount() == 0 ? 0 : 1;
}

TEST(ThreadCacheDeathTest, ReleasedPoolIsNotServedFromStaleCaches) {
    EXPECT_EXIT(std::_Exit(ReleaseUnderAnotherThreadsCache()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
