// Win32 pool: a private growable heap, so validation, walking and release act on the library's blocks only.
#include "platform/PoolHeap.h"

#include <windows.h>

#include <atomic>
#include <mutex>

namespace {

std::atomic<HANDLE> gHeap{nullptr};

HANDLE Heap() {
    HANDLE h = gHeap.load(std::memory_order_acquire);
    if (h) return h;
    static std::once_flag once;
    std::call_once(once, [] { gHeap.store(HeapCreate(0, 0, 0), std::memory_order_release); });
    return gHeap.load(std::memory_order_acquire);
}

bool IsBlockEntry(const PROCESS_HEAP_ENTRY& e) {
    return (e.wFlags & (PROCESS_HEAP_REGION | PROCESS_HEAP_UNCOMMITTED_RANGE)) == 0;
}

// Walks the heap under its lock; false when the walk ended on an error rather than at the end.
template <class Visit>
bool WalkEntries(Visit&& visit) {
    HANDLE heap = Heap();
    if (!heap || !HeapLock(heap)) return false;
    PROCESS_HEAP_ENTRY e{};
    while (HeapWalk(heap, &e)) visit(e);
    const bool complete = GetLastError() == ERROR_NO_MORE_ITEMS;
    HeapUnlock(heap);
    return complete;
}

}  // namespace

namespace tq::platform {

void* PoolAllocate(size_t size) {
    HANDLE heap = Heap();
    return heap ? HeapAlloc(heap, 0, size ? size : 1) : nullptr;
}

void PoolFree(void* block) {
    if (block) HeapFree(Heap(), 0, block);
}

void* PoolResize(void* block, size_t size) {
    if (!block) return PoolAllocate(size);
    return HeapReAlloc(Heap(), 0, block, size ? size : 1);
}

bool PoolCheck() {
    HANDLE heap = Heap();
    return heap && HeapValidate(heap, 0, nullptr);
}

bool PoolWalk(PoolVisitor visit, void* context) {
    return WalkEntries([&](const PROCESS_HEAP_ENTRY& e) {
        if (visit && IsBlockEntry(e))
            visit(context, e.lpData, e.cbData, (e.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0);
    });
}

// Held bytes are what the heap's block entries take, overhead included.
PoolTotals PoolGetTotals() {
    PoolTotals t;
    WalkEntries([&](const PROCESS_HEAP_ENTRY& e) {
        if (!IsBlockEntry(e)) return;
        t.heldBytes += e.cbData + e.cbOverhead;
        if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
            t.usedBytes += e.cbData;
            ++t.usedBlocks;
        } else {
            t.freeBytes += e.cbData;
            if (e.cbData > t.maxFreeBytes) t.maxFreeBytes = e.cbData;
        }
    });
    return t;
}

void PoolReleaseAll() {
    HANDLE old = gHeap.exchange(HeapCreate(0, 0, 0), std::memory_order_acq_rel);
    if (old) HeapDestroy(old);
}

// A private heap has no switch for merging adjacent virtual allocations.
void PoolSetMergeAdjacent(bool) {}

}  // namespace tq::platform
