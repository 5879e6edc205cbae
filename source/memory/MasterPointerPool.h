// Master pointers: blocks of 10000, a zone free list under the zone lock, the optional per-processor
// buckets, and the membership test that handle validation starts with.
#pragma once

#include "tqcore/types.h"

namespace tq::mem {

inline constexpr int32 kMastersPerBlock = 10000;
inline constexpr uInt64 kMasterBlockBytes = 8 + kMastersPerBlock * 8;

// A free master pointer holds the next free one's address with bit 0 set; 1 ends the list.
inline bool IsFreeLink(const uChar* value) {
    return (reinterpret_cast<uintptr_t>(value) & 1) != 0;
}

// A master pointer from the thread's bucket or the zone; null when no block could be added (the
// memory-full procedure has then been called with the block size).
UHandle TakeMaster();
// Puts h's master pointer on the free list of the thread's bucket or of the zone.
void ReturnMaster(UHandle h);
// Whether h is a master pointer slot of one of the zone's blocks.
bool IsZoneMaster(UHandle h);
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

}  // namespace tq::mem
