// The general-purpose heap beneath the memory manager: one process-wide pool with its own bookkeeping, so it
// can be checked, walked, totalled and released as a whole. Blocks are 16-byte aligned.
#pragma once

#include <stddef.h>

#include "tqcore/types.h"

namespace tq::platform {

struct PoolTotals {
    uInt64 heldBytes = 0;  // obtained from the OS for the pool
    uInt64 usedBytes = 0;  // in live blocks
    uInt64 usedBlocks = 0;
    uInt64 freeBytes = 0;  // known free inside the pool
    uInt64 maxFreeBytes = 0;
};

// Called for each block: its address, size and whether it is in use.
using PoolVisitor = void (*)(void* context, const void* block, uInt64 size, bool inUse);

// Null when memory is exhausted.
void* PoolAllocate(size_t size);
// Null does nothing.
void PoolFree(void* block);
// Resizes in place or by moving; null on failure, the block left unchanged.
void* PoolResize(void* block, size_t size);
// True when the pool's bookkeeping is consistent.
bool PoolCheck();
PoolTotals PoolGetTotals();
// False when the walk met an inconsistency.
bool PoolWalk(PoolVisitor visit, void* context);
// Frees every block at once.
void PoolReleaseAll();
// False asks the pool not to merge adjacent virtual allocations where it does so.
void PoolSetMergeAdjacent(bool merge);

}  // namespace tq::platform
