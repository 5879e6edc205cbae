// Memory statistics from the pool allocator and the machine.
#include <cstring>

#include "diagnostics/Report.h"
#include "platform/PhysicalMemory.h"
#include "platform/PoolHeap.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"

#define TQ_UNIT "source\\MemoryManager"

namespace {

template <class T>
void Put(T* out, T value) {
    if (out) *out = value;
}

void Tally(void* context, const void*, uInt64 size, bool inUse) {
    static_cast<uInt64*>(context)[inUse ? 1 : 0] += size;
}

}  // namespace

TqErr DSMemStats(uInt64* stats) {
    const TqErr err = DSHeapCheck(0);
    if (!stats) return err;
    const tq::platform::PhysicalMemory phys = tq::platform::GetPhysicalMemory();
    std::memset(stats, 0, 9 * sizeof(uInt64));
    stats[0] = phys.availableBytes;
    stats[3] = tq::platform::PoolGetTotals().heldBytes;
    stats[7] = phys.totalBytes;
    return err;
}

TqErr AZMemStats(uInt64* stats) {
    return DSMemStats(stats);
}

TqErr DSMemStats2(uInt64* availPhys, uInt64* zero1, uInt64* zero2, uInt64* poolHeld, uInt64* zero4,
                  uInt64* zero5, uInt64* poolBlocks, uInt64* zero7, uInt32* totalPhysHigh,
                  uInt32* totalPhysLow, uInt64* zero10, uInt64* poolFree) {
    const TqErr err = DSHeapCheck(0);
    const tq::platform::PhysicalMemory phys = tq::platform::GetPhysicalMemory();
    const tq::platform::PoolTotals pool = tq::platform::PoolGetTotals();
    Put(availPhys, phys.availableBytes);
    for (uInt64* zero : {zero1, zero2, zero4, zero5, zero7, zero10}) Put<uInt64>(zero, 0);
    Put(poolHeld, pool.heldBytes);
    Put(poolBlocks, pool.usedBlocks);
    Put(totalPhysHigh, uInt32(phys.totalBytes >> 32));
    Put(totalPhysLow, uInt32(phys.totalBytes));
    Put(poolFree, pool.freeBytes);
    return err;
}

TqErr DSMemStatsSlow(uInt64* out) {
    uInt64 sums[2] = {0, 0};
    if (!tq::platform::PoolWalk(Tally, sums)) TQ_REPORT(kDbgBroken, "The heap is corrupt");
    if (out) {
        out[0] = sums[0];
        out[1] = sums[1];
        out[2] = tq::platform::PoolGetTotals().heldBytes;
    }
    return kErrNone;
}
