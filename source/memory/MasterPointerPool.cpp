// Master-pointer blocks, the zone free list and the per-processor buckets.
#include "memory/MasterPointerPool.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <mutex>
#include <shared_mutex>
#include <thread>

#include "diagnostics/Report.h"
#include "memory/MemoryUtil.h"
#include "memory/ThreadCache.h"
#include "platform/PoolHeap.h"
#include "platform/ThreadLocal.h"

#define TQ_UNIT "source\\MasterPointerPool"

namespace tq::memory {

struct MasterBlock {
    MasterBlock* next;
    uChar* slots[kMastersPerBlock];
};
static_assert(sizeof(MasterBlock) == kMasterBlockBytes && offsetof(MasterBlock, slots) == sizeof(void*));

std::atomic<uInt32> gZoneEpoch{0};
std::atomic<bool> gPoolOn{false};
RecentBlocks gZoneRecent;

namespace {

// Sorted block addresses. A published set is never changed, so validation reads it without a lock; sets
// replaced by a newer one are kept until the blocks are released.
struct BlockSet {
    BlockSet* retired;
    int32 count;
    MasterBlock* blocks[1];
};

struct Zone {
    RwSpinLock lock;
    MasterBlock* blocks = nullptr;
    int32 blockCount = 0;
    FreeList free;
    std::atomic<BlockSet*> set{nullptr};
};

struct alignas(64) Bucket {
    RwSpinLock lock;
    FreeList free;
    RecentBlocks recent;
};

// A bucket trades master pointers with the zone in batches, so the zone lock is rarely taken; a thread's own
// list does the same with its bucket, or with the zone when the pool is off.
constexpr int32 kBucketBatch = 64;
constexpr int32 kBucketMax = 4 * kBucketBatch;
constexpr int32 kThreadBatch = kThreadMasters / 2;

Zone& TheZone() {
    static Zone zone;
    return zone;
}

struct Buckets {
    Bucket* items;
    uInt32 count;
};

Buckets& TheBuckets() {
    static Buckets buckets = [] {
        const uInt32 n = 2 * std::max(1u, std::thread::hardware_concurrency());
        return Buckets{new Bucket[n], n};
    }();
    return buckets;
}

std::atomic<uInt32> gThreadNumbers{0};
thread_local Bucket* tBucket TQ_THREAD_LOCAL_FAST = nullptr;

// Threads are numbered in order of first use, which spreads them evenly over the buckets.
Bucket& ThreadBucket() {
    if (!tBucket) {
        Buckets& b = TheBuckets();
        tBucket = &b.items[(gThreadNumbers.fetch_add(1, std::memory_order_relaxed) + 1) % b.count];
    }
    return *tBucket;
}

bool PoolOn() {
    return gPoolOn.load(std::memory_order_relaxed);
}

void Publish(Zone& z, MasterBlock* added) {
    BlockSet* old = z.set.load(std::memory_order_relaxed);
    const int32 n = old ? old->count : 0;
    auto* s = static_cast<BlockSet*>(platform::PoolAllocate(sizeof(BlockSet) + n * sizeof(MasterBlock*)));
    if (!s) return;  // validation then finds the block by walking the list
    MasterBlock** end = old ? std::copy(old->blocks, old->blocks + n, s->blocks) : s->blocks;
    *end = added;
    std::sort(s->blocks, end + 1, std::less<MasterBlock*>());
    s->count = n + 1;
    s->retired = old;
    z.set.store(s, std::memory_order_release);
}

bool AddBlockLocked(Zone& z) {
    auto* b = static_cast<MasterBlock*>(platform::PoolAllocate(sizeof(MasterBlock)));
    if (!b) return false;
    for (int32 i = kMastersPerBlock - 1; i >= 0; --i) z.free.Push(&b->slots[i]);
    b->next = z.blocks;
    z.blocks = b;
    ++z.blockCount;
    Publish(z, b);
    return true;
}

void VerifyFreeChain(const Zone& z) {
    if (z.free.count < 0) {
        TQ_REPORT(kDbgFatal, "bad freemaster count");
        return;
    }
    uChar** p = z.free.head;
    for (int64 n = 0; p && n <= z.free.count; ++n)
        p = reinterpret_cast<uChar**>(reinterpret_cast<uintptr_t>(*p) & ~uintptr_t(1));
    if (p) TQ_REPORT(kDbgFatal, "freemaster chain isn't NULL terminated!");
}

void MoveMasters(FreeList& from, FreeList& to, int32 n) {
    for (; n > 0 && from.head; --n) to.Push(from.Pop());
}

// Moves up to n master pointers from the zone, adding blocks when its list runs dry.
void TakeFromZone(FreeList& into, int32 n) {
    Zone& z = TheZone();
    std::unique_lock lock(z.lock);
    const bool verify = gSettings.memChecking.load(std::memory_order_relaxed);
    if (verify) VerifyFreeChain(z);
    for (; n > 0 && (z.free.head || AddBlockLocked(z)); --n) into.Push(z.free.Pop());
    if (verify) VerifyFreeChain(z);
}

void GiveToZone(FreeList& from, int32 n) {
    Zone& z = TheZone();
    std::unique_lock lock(z.lock);
    MoveMasters(from, z.free, n);
}

void TakeFromBucket(FreeList& into, int32 n) {
    Bucket& b = ThreadBucket();
    std::unique_lock lock(b.lock);
    if (b.free.count < n) TakeFromZone(b.free, std::max(kBucketBatch, n - b.free.count));
    MoveMasters(b.free, into, n);
}

void GiveToBucket(FreeList& from, int32 n) {
    Bucket& b = ThreadBucket();
    std::unique_lock lock(b.lock);
    MoveMasters(from, b.free, n);
    if (b.free.count > kBucketMax) GiveToZone(b.free, b.free.count - (kBucketMax - kBucketBatch));
}

void Fill(FreeList& into, int32 n) {
    PoolOn() ? TakeFromBucket(into, n) : TakeFromZone(into, n);
}

void Drain(FreeList& from, int32 n) {
    PoolOn() ? GiveToBucket(from, n) : GiveToZone(from, n);
}

void DrainBuckets() {
    Buckets& all = TheBuckets();
    for (uInt32 i = 0; i < all.count; ++i) {
        std::unique_lock lock(all.items[i].lock);
        GiveToZone(all.items[i].free, all.items[i].free.count);
    }
}

template <class Visit>
void ForEachLiveSlotLocked(Zone& z, Visit&& visit) {
    for (MasterBlock* b = z.blocks; b; b = b->next)
        for (uChar*& slot : b->slots)
            if (slot && !IsFreeLink(slot)) visit(&slot);
}

}  // namespace

UHandle TakeMasterSlow(ThreadCache* c) {
    FreeList one;
    FreeList& list = c ? c->masters : one;
    if (!list.head) Fill(list, c ? kThreadBatch : 1);
    UHandle h = list.head ? list.Pop() : nullptr;
    if (c) c->mastersHeld.store(list.count, std::memory_order_relaxed);
    if (!h) CallSetMemFullProc(kMasterBlockBytes);
    return h;
}

void ReturnMasterSlow(ThreadCache* c, UHandle h) {
    FreeList one;
    FreeList& list = c ? c->masters : one;
    list.Push(h);
    if (!c) return Drain(list, 1);
    if (list.count > kThreadMasters) Drain(list, kThreadBatch);
    c->mastersHeld.store(list.count, std::memory_order_relaxed);
}

void GiveBackMasters(ThreadCache& c) {
    GiveToZone(c.masters, c.masters.count);
    c.mastersHeld.store(0, std::memory_order_relaxed);
}

bool IsZoneMasterSlow(UHandle h) {
    if (!h) return false;
    const auto a = reinterpret_cast<uintptr_t>(h);
    Zone& z = TheZone();
    RecentBlocks& recent = PoolOn() ? ThreadBucket().recent : gZoneRecent;
    if (recent.Match(a)) return true;
    const BlockSet* s = z.set.load(std::memory_order_acquire);
    MasterBlock* expected = nullptr;
    if (s) {
        auto* const* it =
            std::upper_bound(s->blocks, s->blocks + s->count, a,
                             [](uintptr_t v, MasterBlock* b) { return v < reinterpret_cast<uintptr_t>(b); });
        expected = it == s->blocks ? s->blocks[0] : *(it - 1);
        if (InMasterBlock(expected, a)) {
            recent.Remember(expected);
            return true;
        }
    }
    std::shared_lock lock(z.lock);
    for (MasterBlock* b = z.blocks; b; b = b->next) {
        if (!InMasterBlock(b, a)) continue;
        recent.Remember(b);
        TQ_REPORT(kDbgWarn, "FastCheckHandleInZone failed - actual masterblock ", ToHex(b).text,
                  " expected at ", ToHex(expected).text, " nextBlock ", ToHex(b->next).text);
        return true;
    }
    return false;
}

bool AddMasterBlocks(int32 count) {
    Zone& z = TheZone();
    std::unique_lock lock(z.lock);
    for (int32 i = 0; i < count; ++i)
        if (!AddBlockLocked(z)) return false;
    return true;
}

void ReleaseMasterBlocks() {
    Buckets& all = TheBuckets();
    for (uInt32 i = 0; i < all.count; ++i) {
        std::unique_lock lock(all.items[i].lock);
        all.items[i].free = FreeList{};
        all.items[i].recent.Forget();
    }
    Zone& z = TheZone();
    std::unique_lock lock(z.lock);
    gZoneEpoch.fetch_add(1, std::memory_order_relaxed);
    InvalidateThreadCaches();
    gZoneRecent.Forget();
    for (BlockSet* s = z.set.exchange(nullptr); s;) {
        BlockSet* older = s->retired;
        platform::PoolFree(s);
        s = older;
    }
    while (MasterBlock* b = z.blocks) {
        z.blocks = b->next;
        platform::PoolFree(b);
    }
    z.blockCount = 0;
    z.free = FreeList{};
}

void SetMasterPoolEnabled(bool on) {
    if (!gPoolOn.exchange(on) || on) return;
    DrainBuckets();  // master pointers left in buckets would otherwise sit unused
}

bool MasterPoolEnabled() {
    return PoolOn();
}

ZoneCensus TakeCensus() {
    ZoneCensus c;
    c.freeMasters = CachedMasters(gZoneEpoch.load(std::memory_order_relaxed));
    Buckets& all = TheBuckets();
    for (uInt32 i = 0; i < all.count; ++i) {
        std::shared_lock lock(all.items[i].lock);
        c.freeMasters += all.items[i].free.count;
    }
    Zone& z = TheZone();
    std::shared_lock lock(z.lock);
    c.blocks = z.blockCount;
    for (MasterBlock* b = z.blocks; b && c.listedBlocks <= z.blockCount; b = b->next) ++c.listedBlocks;
    c.freeMasters += z.free.count;
    c.liveHandles = int64(z.blockCount) * kMastersPerBlock - c.freeMasters;
    return c;
}

bool ForEachLiveHandle(void (*visit)(void* context, UHandle h), void* context) {
    Zone& z = TheZone();
    std::shared_lock lock(z.lock);
    int64 live = 0;
    ForEachLiveSlotLocked(z, [&](UHandle) { ++live; });
    auto* list = static_cast<UHandle*>(platform::PoolAllocate(size_t(live + 1) * sizeof(UHandle)));
    if (!list) return false;
    int64 n = 0;
    ForEachLiveSlotLocked(z, [&](UHandle h) { list[n++] = h; });
    lock.unlock();
    for (int64 i = 0; i < n; ++i) visit(context, list[i]);
    platform::PoolFree(list);
    return true;
}

UHandle FindMasterHolding(const void* data) {
    Zone& z = TheZone();
    std::shared_lock lock(z.lock);
    UHandle found = nullptr;
    ForEachLiveSlotLocked(z, [&](UHandle h) {
        if (!found && *h == data) found = h;
    });
    return found;
}

}  // namespace tq::memory
