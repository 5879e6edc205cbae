// Per-thread state of the memory manager: a short list of free master pointers, a few handle blocks by size
// class and the thread's share of the counters. Create and dispose then need no atomic read-modify-write in
// the common case. A thread's caches go back to the zone and the pool when it ends.
#pragma once

#include <atomic>

#include "platform/ThreadLocal.h"
#include "tqcore/types.h"

namespace tq::memory {

// Free master pointers, each holding the next one's address with bit 0 set; 1 ends the list. Its owner's
// lock (or thread) guards it.
struct FreeList {
    uChar** head = nullptr;
    int32 count = 0;

    void Push(uChar** mp) {
        *mp = reinterpret_cast<uChar*>(reinterpret_cast<uintptr_t>(head) | 1);
        head = mp;
        ++count;
    }
    uChar** Pop() {
        uChar** mp = head;
        head = reinterpret_cast<uChar**>(reinterpret_cast<uintptr_t>(*mp) & ~uintptr_t(1));
        --count;
        return mp;
    }
};

enum Counter : int32 { kCountHandles, kCountPointers, kCountResizes, kCountMoves, kCounters };

inline constexpr int32 kBlockClasses = 64;

struct BlockBin {
    void* head = nullptr;  // each cached block's first word links to the next
    int32 count = 0;
};

struct ThreadCache {
    // Equal to gCacheEpoch while the cache may be used without further checks.
    uInt32 epoch = 0;
    FreeList masters;  // owner only
    // Mirrors masters.count and the zone generation they belong to, for the census on other threads.
    std::atomic<int32> mastersHeld{0};
    std::atomic<uInt32> zoneEpoch{0};
    uInt32 poolEpoch = 0;
    BlockBin bins[kBlockClasses];
    std::atomic<uInt32> counts[kCounters] = {0, 0, 0, 0};  // written by the owner only
    ThreadCache* prev = nullptr;                           // registry links, under its lock
    ThreadCache* next = nullptr;
};

// The cache lives on the heap: thread-local storage may already be gone when the thread's end is reported.
extern constinit thread_local ThreadCache* tThreadCache TQ_THREAD_LOCAL_FAST;
// Odd, and advanced whenever cached master pointers or blocks may have gone or memory checking changed.
extern std::atomic<uInt32> gCacheEpoch;

// Makes the calling thread's cache on first use and drops what went stale; null once the thread is ending,
// when no cache can be had, and while memory checking is on (every operation then goes to the zone and the
// pool).
ThreadCache* RefreshThreadCache();
inline ThreadCache* CurrentCache() {
    ThreadCache* c = tThreadCache;
    return c && c->epoch == gCacheEpoch.load(std::memory_order_relaxed) ? c : RefreshThreadCache();
}
// Makes every thread look at its cache again before using it.
void InvalidateThreadCaches();

// Sum of the free master pointers held by live threads' caches of zone generation epoch.
int64 CachedMasters(uInt32 epoch);
// Returns the calling thread's master pointers and blocks to the zone and the pool.
void FlushThreadCache();

void CountShared(Counter k);
inline void Count(ThreadCache* c, Counter k) {
    if (!c) return CountShared(k);
    std::atomic<uInt32>& v = c->counts[k];
    v.store(v.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}
void ReadCounts(int32 out[kCounters]);
void SetCounts(const int32 in[kCounters]);

// Handle blocks are sized by class: 16-byte steps to 512, then eight steps per doubling up to
// kCachedBlockMax; larger blocks keep their own size and are never cached.
inline constexpr uInt64 kCachedBlockMax = 8192;
inline constexpr int32 kStepClasses = 32;

// Class boundaries are multiples of 16, so the class of a size is read from a table by 16-byte step.
struct BlockClassTable {
    uInt8 classOf[kCachedBlockMax / 16];  // by (bytes - 1) / 16
    uInt16 bytes[kBlockClasses];
};
constexpr BlockClassTable MakeBlockClassTable() {
    BlockClassTable t{};
    for (int32 i = 0; i < kBlockClasses; ++i) {
        const int32 lg = 9 + (i - kStepClasses) / 8;
        t.bytes[i] =
            uInt16(i < kStepClasses ? 16 * (i + 1) : (1 << lg) + (((i - kStepClasses) % 8 + 1) << (lg - 3)));
    }
    for (int32 step = 0, i = 0; step < int32(kCachedBlockMax / 16); ++step) {
        while (t.bytes[i] < 16 * (step + 1)) ++i;
        t.classOf[step] = uInt8(i);
    }
    return t;
}
inline constexpr BlockClassTable kBlockClassTable = MakeBlockClassTable();
static_assert(kBlockClassTable.bytes[kStepClasses - 1] == 512 &&
              kBlockClassTable.bytes[kStepClasses] == 576 &&
              kBlockClassTable.bytes[kStepClasses + 8] == 1152 &&
              kBlockClassTable.bytes[kBlockClasses - 1] == kCachedBlockMax);

// The smallest class of at least bytes (0 < bytes <= kCachedBlockMax). Small sizes skip the table, which
// would otherwise add a load to the path of every create.
inline int32 BlockClass(uInt64 bytes) {
    const uInt64 step = (bytes - 1) >> 4;
    return step < kStepClasses ? int32(step) : kBlockClassTable.classOf[step];
}
inline uInt64 ClassBytes(int32 i) {
    return i < kStepClasses ? uInt64(i + 1) << 4 : kBlockClassTable.bytes[i];
}

struct BlockSize {
    int32 cls;     // -1 for sizes never cached
    uInt64 bytes;  // the pool block size
};
// The class and pool block size a handle block of padded bytes is given, so that blocks are shared.
inline BlockSize SizeBlock(uInt64 padded) {
    constexpr uInt64 kStepLimit = uInt64(kStepClasses) * 16;
    if (padded - 1 < kStepLimit) return {int32((padded - 1) >> 4), (padded + 15) & ~uInt64(15)};
    if (!padded || padded > kCachedBlockMax) return {-1, padded};
    const int32 cls = BlockClass(padded);
    return {cls, ClassBytes(cls)};
}

// A thread keeps a few blocks of a class, fewer of the larger ones, so one that only disposes what others
// made holds little (at most about 130 KiB).
inline int32 BinDepth(int32 cls) {
    return cls < kStepClasses ? 4 : 1;
}

void* TakeBlockSlow(uInt64 bytes);
// A cached block of class cls, or a new pool block of bytes; null when memory is exhausted.
inline void* TakeBlock(ThreadCache* c, int32 cls, uInt64 bytes) {
    if (c && cls >= 0) {
        BlockBin& b = c->bins[cls];
        if (void* block = b.head) {
            b.head = *static_cast<void**>(block);
            --b.count;
            return block;
        }
    }
    return TakeBlockSlow(bytes);
}

void ReleaseBlockSlow(ThreadCache* c, void* block, uInt64 bytes);
// Caches the pool block, which holds at least bytes, or frees it.
inline void ReleaseBlock(ThreadCache* c, void* block, uInt64 bytes) {
    constexpr uInt64 kStepLimit = uInt64(kStepClasses) * 16;
    if (c && bytes - 16 < kStepLimit && (bytes & 15) == 0) {
        BlockBin& b = c->bins[(bytes >> 4) - 1];
        if (b.count < BinDepth(0)) {
            *static_cast<void**>(block) = b.head;
            b.head = block;
            ++b.count;
            return;
        }
    }
    ReleaseBlockSlow(c, block, bytes);
}

// Forgets every thread's cached blocks, which the pool is about to release.
void ForgetCachedBlocks();

}  // namespace tq::memory
