// Master-pointer blocks, the zone free list and the per-processor buckets.
#include "memory/MasterPointerPool.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <shared_mutex>
#include <thread>

#include "diagnostics/Report.h"
#include "memory/MemoryUtil.h"
#include "platform/PoolHeap.h"

#define TQ_UNIT "source\\MasterPointerPool"

namespace tq::mem {
namespace {

struct MasterBlock {
    MasterBlock* next;
    uChar* slots[kMastersPerBlock];
};
static_assert(sizeof(MasterBlock) == kMasterBlockBytes);

// Sorted block addresses. A published set is never changed, so validation reads it without a lock; sets
// replaced by a newer one are kept until the blocks are released.
struct BlockSet {
    BlockSet* retired;
    int32 count;
    MasterBlock* blocks[1];
};

bool Contains(const MasterBlock* b, uintptr_t a) {
    const auto first = reinterpret_cast<uintptr_t>(b->slots);
    return a >= first && a < first + sizeof(b->slots) && (a - first) % sizeof(uChar*) == 0;
}

// The two blocks most recently matched; updated without a lock, a stale entry only costs a slower lookup.
struct RecentBlocks {
    std::atomic<MasterBlock*> entry[2] = {nullptr, nullptr};
    std::atomic<uInt32> next{0};

    bool Match(uintptr_t a) const {
        for (const auto& e : entry) {
            const MasterBlock* b = e.load(std::memory_order_relaxed);
            if (b && Contains(b, a)) return true;
        }
        return false;
    }
    void Remember(MasterBlock* b) {
        entry[next.fetch_add(1, std::memory_order_relaxed) & 1].store(b, std::memory_order_relaxed);
    }
    void Forget() {
        for (auto& e : entry) e.store(nullptr, std::memory_order_relaxed);
    }
};

// A free list of master pointers; its owner's lock guards it.
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

struct Zone {
    RwSpinLock lock;
    MasterBlock* blocks = nullptr;
    int32 blockCount = 0;
    FreeList free;
    std::atomic<BlockSet*> set{nullptr};
    RecentBlocks recent;
};

struct alignas(64) Bucket {
    RwSpinLock lock;
    FreeList free;
    RecentBlocks recent;
};

// A bucket trades master pointers with the zone in batches, so the zone lock is rarely taken.
constexpr int32 kBucketBatch = 64;
constexpr int32 kBucketMax = 4 * kBucketBatch;

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

std::atomic<bool> gPoolOn{false};
std::atomic<uInt32> gThreadNumbers{0};
thread_local uInt32 tThreadNumber = 0;

// Threads are numbered in order of first use, which spreads them evenly over the buckets.
Bucket& ThreadBucket() {
    if (!tThreadNumber) tThreadNumber = gThreadNumbers.fetch_add(1, std::memory_order_relaxed) + 1;
    Buckets& b = TheBuckets();
    return b.items[tThreadNumber % b.count];
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

// Pops from the zone, adding a block when the list is empty. Zone lock held.
uChar** PopZoneLocked(Zone& z) {
    const bool verify = gSettings.memChecking.load(std::memory_order_relaxed);
    if (verify) VerifyFreeChain(z);
    uChar** mp = (z.free.head || AddBlockLocked(z)) ? z.free.Pop() : nullptr;
    if (verify) VerifyFreeChain(z);
    return mp;
}

void RefillLocked(Bucket& b) {
    Zone& z = TheZone();
    std::unique_lock lock(z.lock);
    for (int32 i = 0; i < kBucketBatch; ++i) {
        uChar** mp = PopZoneLocked(z);
        if (!mp) break;
        b.free.Push(mp);
    }
}

void SpillLocked(Bucket& b, int32 keep) {
    Zone& z = TheZone();
    std::unique_lock lock(z.lock);
    while (b.free.count > keep) z.free.Push(b.free.Pop());
}

void DrainBuckets() {
    Buckets& all = TheBuckets();
    for (uInt32 i = 0; i < all.count; ++i) {
        std::unique_lock lock(all.items[i].lock);
        SpillLocked(all.items[i], 0);
    }
}

UHandle TakeFromBucket() {
    Bucket& b = ThreadBucket();
    std::unique_lock lock(b.lock);
    if (!b.free.head) RefillLocked(b);
    return b.free.head ? b.free.Pop() : nullptr;
}

UHandle TakeFromZone() {
    Zone& z = TheZone();
    std::unique_lock lock(z.lock);
    return PopZoneLocked(z);
}

template <class Visit>
void ForEachLiveSlotLocked(Zone& z, Visit&& visit) {
    for (MasterBlock* b = z.blocks; b; b = b->next)
        for (uChar*& slot : b->slots)
            if (slot && !IsFreeLink(slot)) visit(&slot);
}

}  // namespace

UHandle TakeMaster() {
    UHandle h = PoolOn() ? TakeFromBucket() : TakeFromZone();
    if (!h) CallSetMemFullProc(kMasterBlockBytes);
    return h;
}

void ReturnMaster(UHandle h) {
    if (PoolOn()) {
        Bucket& b = ThreadBucket();
        std::unique_lock lock(b.lock);
        b.free.Push(h);
        if (b.free.count > kBucketMax) SpillLocked(b, kBucketMax - kBucketBatch);
        return;
    }
    Zone& z = TheZone();
    std::unique_lock lock(z.lock);
    z.free.Push(h);
}

bool IsZoneMaster(UHandle h) {
    if (!h) return false;
    const auto a = reinterpret_cast<uintptr_t>(h);
    Zone& z = TheZone();
    RecentBlocks& recent = PoolOn() ? ThreadBucket().recent : z.recent;
    if (recent.Match(a)) return true;
    const BlockSet* s = z.set.load(std::memory_order_acquire);
    MasterBlock* expected = nullptr;
    if (s) {
        auto* const* it =
            std::upper_bound(s->blocks, s->blocks + s->count, a,
                             [](uintptr_t v, MasterBlock* b) { return v < reinterpret_cast<uintptr_t>(b); });
        expected = it == s->blocks ? s->blocks[0] : *(it - 1);
        if (Contains(expected, a)) {
            recent.Remember(expected);
            return true;
        }
    }
    std::shared_lock lock(z.lock);
    for (MasterBlock* b = z.blocks; b; b = b->next) {
        if (!Contains(b, a)) continue;
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
    z.recent.Forget();
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

}  // namespace tq::mem
