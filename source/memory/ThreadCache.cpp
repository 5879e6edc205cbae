// Per-thread caches of master pointers and handle blocks, the registry of live threads' caches and the
// counters summed over it.
#include "memory/ThreadCache.h"

#include <mutex>
#include <new>
#include <shared_mutex>

#include "memory/MasterPointerPool.h"
#include "memory/MemoryUtil.h"
#include "platform/PoolHeap.h"
#include "platform/ThreadExit.h"

namespace tq::memory {

constinit thread_local ThreadCache* tThreadCache TQ_THREAD_LOCAL_FAST = nullptr;
std::atomic<uInt32> gCacheEpoch{1};

namespace {

RwSpinLock gRegistryLock;
ThreadCache* gFirst = nullptr;
// Counts of ended threads and of threads without a cache, less what DSSetCounters took off the live ones.
std::atomic<uInt32> gBase[kCounters];
// Advanced when the pool releases everything: blocks cached before then are gone.
std::atomic<uInt32> gPoolEpoch{0};

// Forgets master pointers whose blocks were released and blocks the pool released.
void DropStale(ThreadCache& c) {
    const uInt32 zone = gZoneEpoch.load(std::memory_order_relaxed);
    if (c.zoneEpoch.load(std::memory_order_relaxed) != zone) {
        c.masters = FreeList{};
        c.mastersHeld.store(0, std::memory_order_relaxed);
        c.zoneEpoch.store(zone, std::memory_order_relaxed);
    }
    const uInt32 pool = gPoolEpoch.load(std::memory_order_relaxed);
    if (c.poolEpoch != pool) {
        for (BlockBin& b : c.bins) b = BlockBin{};
        c.poolEpoch = pool;
    }
}

void FreeBlocks(ThreadCache& c) {
    for (BlockBin& b : c.bins) {
        while (void* block = b.head) {
            b.head = *static_cast<void**>(block);
            platform::PoolFree(block);
        }
        b.count = 0;
    }
}

void Flush(ThreadCache& c) {
    DropStale(c);
    GiveBackMasters(c);
    FreeBlocks(c);
}

// Set once the thread's end has been reported, or when it can have no cache.
constinit thread_local bool tNoCache TQ_THREAD_LOCAL_FAST = false;

void Register(ThreadCache& c) {
    c.zoneEpoch.store(gZoneEpoch.load(std::memory_order_relaxed), std::memory_order_relaxed);
    c.poolEpoch = gPoolEpoch.load(std::memory_order_relaxed);
    std::unique_lock lock(gRegistryLock);
    c.next = gFirst;
    if (gFirst) gFirst->prev = &c;
    gFirst = &c;
}

void Unregister(ThreadCache& c) {
    std::unique_lock lock(gRegistryLock);
    for (int32 k = 0; k < kCounters; ++k) gBase[k].fetch_add(c.counts[k].load(std::memory_order_relaxed));
    (c.prev ? c.prev->next : gFirst) = c.next;
    if (c.next) c.next->prev = c.prev;
}

void RetireAtThreadEnd(void* value) {
    auto* c = static_cast<ThreadCache*>(value);
    Flush(*c);
    Unregister(*c);
    delete c;
    tThreadCache = nullptr;
    tNoCache = true;
}

uInt32 ExitSlot() {
    static const uInt32 slot = platform::ThreadExitSlotCreate(RetireAtThreadEnd);
    return slot;
}

// Without notice of the thread's end its cache would leak, so then there is none.
ThreadCache* MakeCache() {
    const uInt32 slot = ExitSlot();
    auto* c = slot != platform::kNoThreadExitSlot ? new (std::nothrow) ThreadCache : nullptr;
    if (!c) return nullptr;
    Register(*c);
    if (platform::ThreadExitSlotSet(slot, c)) return c;
    Unregister(*c);
    delete c;
    return nullptr;
}

}  // namespace

ThreadCache* RefreshThreadCache() {
    EnsureConfigured();  // a cache in use thus implies the settings have been read
    ThreadCache* c = tThreadCache;
    if (!c) {
        if (tNoCache) return nullptr;
        c = MakeCache();
        if (!c) {
            tNoCache = true;
            return nullptr;
        }
        tThreadCache = c;
    }
    const uInt32 epoch = gCacheEpoch.load(std::memory_order_acquire);
    DropStale(*c);
    if (gSettings.memChecking.load(std::memory_order_relaxed)) return nullptr;
    c->epoch = epoch;
    return c;
}

void InvalidateThreadCaches() {
    gCacheEpoch.fetch_add(2, std::memory_order_release);
}

int64 CachedMasters(uInt32 epoch) {
    std::shared_lock lock(gRegistryLock);
    int64 n = 0;
    for (const ThreadCache* c = gFirst; c; c = c->next)
        if (c->zoneEpoch.load(std::memory_order_relaxed) == epoch)
            n += c->mastersHeld.load(std::memory_order_relaxed);
    return n;
}

void FlushThreadCache() {
    if (ThreadCache* c = tThreadCache) Flush(*c);
}

void CountShared(Counter k) {
    gBase[k].fetch_add(1, std::memory_order_relaxed);
}

namespace {
// Registry lock held.
uInt32 LiveSum(Counter k) {
    uInt32 sum = 0;
    for (const ThreadCache* c = gFirst; c; c = c->next) sum += c->counts[k].load(std::memory_order_relaxed);
    return sum;
}
}  // namespace

// Counters wrap as 32-bit values, so sums and differences are taken unsigned.
void ReadCounts(int32 out[kCounters]) {
    std::shared_lock lock(gRegistryLock);
    for (int32 k = 0; k < kCounters; ++k) out[k] = int32(gBase[k].load() + LiveSum(Counter(k)));
}

void SetCounts(const int32 in[kCounters]) {
    std::unique_lock lock(gRegistryLock);
    for (int32 k = 0; k < kCounters; ++k) gBase[k].store(uInt32(in[k]) - LiveSum(Counter(k)));
}

void* TakeBlockSlow(uInt64 bytes) {
    return platform::PoolAllocate(size_t(bytes));
}

void ReleaseBlockSlow(ThreadCache* c, void* block, uInt64 bytes) {
    // A block goes to the largest class it can serve.
    const int32 i = bytes >= ClassBytes(0) && bytes <= kCachedBlockMax
                        ? BlockClass(bytes) - (ClassBytes(BlockClass(bytes)) > bytes ? 1 : 0)
                        : -1;
    if (c && i >= 0) {
        BlockBin& b = c->bins[i];
        if (b.count < BinDepth(i)) {
            *static_cast<void**>(block) = b.head;
            b.head = block;
            ++b.count;
            return;
        }
    }
    platform::PoolFree(block);
}

void ForgetCachedBlocks() {
    gPoolEpoch.fetch_add(1, std::memory_order_relaxed);
    InvalidateThreadCaches();
}

}  // namespace tq::memory
