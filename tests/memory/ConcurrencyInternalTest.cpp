#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <deque>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "memory/MasterPointerPool.h"
#include "memory/MemoryManager.h"
#include "memory/ThreadCache.h"
#include "platform/PoolHeap.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"

namespace {

constexpr int kThreads = 4;
constexpr int kHandlesPerThread = 25000;  // 100,000 in all, plus their copies

// A handle's bytes all carry its own tag, so a handle that got another's data shows.
uChar TagOf(UHandle h) {
    return uChar(reinterpret_cast<uintptr_t>(h) >> 3);
}

bool Intact(UHandle h) {
    const int64 n = DSGetHandleSize(h);
    for (int64 i = 0; i < n; ++i)
        if ((*h)[i] != TagOf(h)) return false;
    return IsDSHandle(h) && DSCheckHandle(h) == kErrNone;
}

void Stamp(UHandle h) {
    std::memset(*h, TagOf(h), size_t(DSGetHandleSize(h)));
}

struct Totals {
    std::atomic<int32> created{0}, resized{0}, bad{0};
};

// Handles are passed between threads so that some are disposed where they were not made.
struct Exchange {
    std::mutex lock;
    std::deque<UHandle> handles;

    void Put(UHandle h) {
        std::lock_guard g(lock);
        handles.push_back(h);
    }
    UHandle Take() {
        std::lock_guard g(lock);
        if (handles.empty()) return nullptr;
        UHandle h = handles.front();
        handles.pop_front();
        return h;
    }
};

void Dispose(UHandle h, Totals& t) {
    if (!Intact(h)) ++t.bad;
    if (DSDisposeHandle(h) != kErrNone) ++t.bad;
}

void Worker(int seed, Totals& t, Exchange& x) {
    std::mt19937 rng(seed);
    std::vector<UHandle> mine;
    for (int i = 0; i < kHandlesPerThread; ++i) {
        UHandle h = DSNewHandle(rng() % 300);
        if (!h) {
            ++t.bad;
            continue;
        }
        ++t.created;
        Stamp(h);
        if (rng() % 2) {
            if (DSSetHandleSize(h, rng() % 2000) != kErrNone) ++t.bad;
            ++t.resized;
            Stamp(h);
        }
        if (rng() % 8 == 0) {
            UHandle copy = nullptr;
            if (DSCopyHandle(&copy, h) != kErrNone || DSGetHandleSize(copy) != DSGetHandleSize(h)) ++t.bad;
            if (copy) {
                ++t.created;
                Stamp(copy);
                mine.push_back(copy);
            }
        }
        if (rng() % 4 == 0)
            x.Put(h);
        else
            mine.push_back(h);
        if (UHandle other = rng() % 4 == 0 ? x.Take() : nullptr) Dispose(other, t);
        while (mine.size() > 48) {
            const size_t k = rng() % mine.size();
            Dispose(mine[k], t);
            mine[k] = mine.back();
            mine.pop_back();
        }
    }
    for (UHandle h : mine) Dispose(h, t);
}

void RunStress(bool pool) {
    SetIsMasterPointerPoolEnabled(pool ? 1 : 0);
    tq::memory::FlushThreadCache();  // this thread's cached blocks would otherwise count as used
    const int64 liveBefore = tq::memory::LiveHandleCount();
    const uInt64 poolBlocksBefore = tq::platform::PoolGetTotals().usedBlocks;
    const int32 masterBlocksBefore = tq::memory::TakeCensus().blocks;
    int32 before[4], after[4];
    DSReadCounters(before);
    Totals t;
    Exchange x;
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back(Worker, i + (pool ? 100 : 0), std::ref(t), std::ref(x));
    for (auto& th : threads) th.join();
    while (UHandle h = x.Take()) Dispose(h, t);
    DSReadCounters(after);
    SetIsMasterPointerPoolEnabled(0);

    EXPECT_EQ(t.bad.load(), 0);
    EXPECT_GE(t.created.load(), kThreads * kHandlesPerThread);
    EXPECT_EQ(after[0] - before[0], t.created.load());
    EXPECT_EQ(after[1] - before[1], 0);
    EXPECT_EQ(after[2] - before[2], t.resized.load());
    EXPECT_EQ(tq::memory::LiveHandleCount(), liveBefore);
    tq::memory::FlushThreadCache();
    // The workers' caches went back when they ended. Master-pointer blocks added on the way (each with its
    // copy of the block set) stay; nothing else may.
    const int32 added = tq::memory::TakeCensus().blocks - masterBlocksBefore;
    EXPECT_EQ(tq::platform::PoolGetTotals().usedBlocks, poolBlocksBefore + 2 * uInt64(added));
    EXPECT_TRUE(tq::platform::PoolCheck());
    EXPECT_EQ(DSHeapCheck(0), kErrNone);
}

TEST(MemoryConcurrencyTest, StressWithoutMasterPointerPool) {
    RunStress(false);
}

TEST(MemoryConcurrencyTest, StressWithMasterPointerPool) {
    RunStress(true);
}

}  // namespace
