// Master pointers: blocks of 10000, a zone free list under the zone lock, the optional per-processor
// buckets, each thread's short list in front of them, and the membership test that handle validation starts
// with.
#pragma once

#include "memory/MemoryUtil.h"
#include "memory/ThreadCache.h"
#include "tqcore/types.h"

namespace tq::memory {

inline constexpr int32 kMastersPerBlock = 10000;
inline constexpr uInt64 kMasterBlockBytes = 8 + kMastersPerBlock * 8;

// A free master pointer holds the next free one's address with bit 0 set; 1 ends the list.
inline bool IsFreeLink(const uChar* value) {
    return (reinterpret_cast<uintptr_t>(value) & 1) != 0;
}

// Advanced when the blocks are released: master pointers cached before then are gone.
extern std::atomic<uInt32> gZoneEpoch;
inline constexpr int32 kThreadMasters = 64;

UHandle TakeMasterSlow(ThreadCache* c);
// A master pointer from the thread's list, its bucket or the zone; null when no block could be added (the
// memory-full procedure has then been called with the block size). c is the current cache or null.
inline UHandle TakeMaster(ThreadCache* c) {
    if (!c || !c->masters.head) return TakeMasterSlow(c);
    UHandle h = c->masters.Pop();
    c->mastersHeld.store(c->masters.count, std::memory_order_relaxed);
    return h;
}

void ReturnMasterSlow(ThreadCache* c, UHandle h);
// Puts h's master pointer on the thread's list, or the free list of its bucket or of the zone.
inline void ReturnMaster(ThreadCache* c, UHandle h) {
    if (!c || c->masters.count >= kThreadMasters) return ReturnMasterSlow(c, h);
    c->masters.Push(h);
    c->mastersHeld.store(c->masters.count, std::memory_order_relaxed);
}

// Returns the thread cache's master pointers to the zone.
void GiveBackMasters(ThreadCache& c);

struct MasterBlock;

inline bool InMasterBlock(const MasterBlock* b, uintptr_t a) {
    const uintptr_t first = reinterpret_cast<uintptr_t>(b) + sizeof(void*);
    return a - first < uintptr_t(kMastersPerBlock) * sizeof(uChar*) &&
           ((a - first) & (sizeof(uChar*) - 1)) == 0;
}

// The two blocks most recently matched; updated without a lock, a stale entry only costs a slower lookup.
struct RecentBlocks {
    std::atomic<MasterBlock*> entry[2] = {nullptr, nullptr};
    std::atomic<uInt32> next{0};

    bool Match(uintptr_t a) const {
        for (const auto& e : entry) {
            const MasterBlock* b = e.load(std::memory_order_relaxed);
            if (b && InMasterBlock(b, a)) return true;
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

extern std::atomic<bool> gPoolOn;
extern RecentBlocks gZoneRecent;  // the buckets keep their own

bool IsZoneMasterSlow(UHandle h);
// Whether h is a master pointer slot of one of the zone's blocks.
inline bool IsZoneMaster(UHandle h) {
    if (h && !gPoolOn.load(std::memory_order_relaxed) && gZoneRecent.Match(reinterpret_cast<uintptr_t>(h)))
        return true;
    return IsZoneMasterSlow(h);
}
// Adds count blocks at once; false when one could not be had.
bool AddMasterBlocks(int32 count);
// Frees every block; live handles become invalid.
void ReleaseMasterBlocks();

void SetMasterPoolEnabled(bool on);
bool MasterPoolEnabled();

struct ZoneCensus {
    int32 blocks = 0;        // the block count
    int32 listedBlocks = 0;  // blocks found on the list (stops one past the count)
    int64 freeMasters = 0;   // zone and buckets
    int64 liveHandles = 0;
};
ZoneCensus TakeCensus();

// Calls visit(h) for every live handle; the list is copied first, so visit may dispose.
// False when the copy could not be allocated.
bool ForEachLiveHandle(void (*visit)(void* context, UHandle h), void* context);
// The handle whose master pointer holds data, or null.
UHandle FindMasterHolding(const void* data);

}  // namespace tq::memory
