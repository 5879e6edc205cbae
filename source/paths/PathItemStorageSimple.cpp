// Element storage straight from the heap, one allocation per element and nothing to collect: the store the
// slot buffers replaced, built (TQCORE_PATH_SIMPLE_STORE) only to measure them against.
#include <atomic>
#include <new>

#include "diagnostics/Report.h"
#include "paths/PathItemElement.h"
#include "paths/PathItemStorage.h"
#include "tqcore/core.h"

#define TQ_UNIT "source\\PathItemStorage"

namespace tq::paths {
namespace {

std::atomic<uInt64> gLive{0};

}  // namespace

TqErr StartStorage() {
    return kErrNone;
}

void StopStorage() {}

// Marked by one retain until its maker sets it up, as a pooled element is.
PathItemElement* NewElement() {
    auto* e = new (std::nothrow) PathItemElement();
    if (!e) return nullptr;
    e->retains.store(1, std::memory_order_relaxed);
    gLive.fetch_add(1, std::memory_order_relaxed);
    return e;
}

void FreeElement(PathItemElement* e) {
    if (!e) return;
    gLive.fetch_sub(1, std::memory_order_relaxed);
    delete e;
}

void DrainElements() {
    if (const uInt64 live = gLive.load(std::memory_order_relaxed))
        TQ_REPORT(kDbgWarn, "Path storage stopped with ", live, " live element(s)");
}

void CollectIfDue() {}

uInt64 StorageBytes() {
    return gLive.load(std::memory_order_relaxed) * sizeof(PathItemElement);
}

}  // namespace tq::paths

uInt64 PathRef::GarbageCollect(OptimizationMethod) {
    TQ_REPORT(kDbgNote, "Path Garbage Collect: 0 bytes reclaimed");
    return 0;
}
