// Handle validation at the current check level and the size query, inline for the hot paths of the memory
// and string units.
#pragma once

#include "memory/HandleLayout.h"
#include "memory/MasterPointerPool.h"
#include "memory/MemoryUtil.h"

namespace tq::memory {

// Dispose and size queries validate fully only at level 2, everything else from level 1.
enum class Use { kDisposeOrSize, kOther };

inline bool FullValidation(Use use) {
    const int32 level = gSettings.checkLevel.load(std::memory_order_relaxed);
    return level >= 2 || (level == 1 && use == Use::kOther);
}

void ReportFreedMaster(const uChar* value);

[[gnu::always_inline]] inline bool Validate(UHandle h, bool full) {
    if (!h || (full && !IsZoneMaster(h))) return false;
    const uChar* v = *h;
    if (!v) return false;
    if (IsFreeLink(v)) {
        if (full) ReportFreedMaster(v);
        return false;
    }
    return true;
}

// What DSGetHandleSize gives. A handle that passes the checks at once is read here; anything else takes
// the exported path, which validates again and reports.
inline int64 HandleSize(UHandle h) {
    if (gSettings.configured.load(std::memory_order_acquire) && !Has(kGuardHandles, kGuardVerify) && h) {
        const bool full = FullValidation(Use::kDisposeOrSize);
        if (!full ||
            (!gPoolOn.load(std::memory_order_relaxed) && gZoneRecent.Match(reinterpret_cast<uintptr_t>(h)))) {
            const uChar* v = *h;
            if (v && !IsFreeLink(v)) return int64(ReadHeader(v, HandleGuardRoom()).size);
        }
    }
    return DSGetHandleSize(h);
}

}  // namespace tq::memory
