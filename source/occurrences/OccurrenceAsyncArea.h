// The asynchronous area of the occurrence manager: firings recorded with atomic operations only, from
// contexts that may not take a lock, and drained later by a thread that may.
#pragma once

#include <atomic>

#include "tqcore/threads.h"

namespace tq::occurrences {

class OccurrenceAsyncArea {
  public:
    static constexpr uInt32 kHeaderBytes = 32;
    static constexpr uInt32 kResetCountDownFrom = 1013;

    // block: kOccAsyncAreaSize zeroed bytes, or null.
    void Attach(void* block) {
        block_ = static_cast<uChar*>(block);
        pending_.store(0);
    }
    void* Block() const { return block_; }

    // Claims the first free slot, or the slot already holding occ. kErrOccurQueueFull when all are busy.
    TqErr Post(Occurrence occ, OccResetCountDownProc countDown, void* arg) {
        if (!block_ || occ == 0) return kErrArgument;
        for (uInt32 i = 0; i < kOccAsyncSlots; ++i) {
            const uInt32 before = Busy(i).fetch_or(1);
            if (before & 1) {
                if (Cookie(i).load() != occ) continue;
            } else {
                Cookie(i).store(occ);
                pending_.fetch_add(1);
            }
            if (i >= kResetCountDownFrom && countDown) countDown(Slot(i), i, occ, arg);
            return kErrNone;
        }
        return kErrOccurQueueFull;
    }

    // Whether a drain would find anything.
    bool Pending() const { return pending_.load(std::memory_order_relaxed) > 0; }

    // Hands each recorded occurrence to fire and frees its slot. A slot claimed but not yet written is left
    // to the next drain (its writer counts it as pending once written).
    template <class Fire>
    void Drain(Fire&& fire) {
        for (uInt32 i = 0; i < kOccAsyncSlots && Pending(); ++i) {
            if (!(Busy(i).load() & 1)) continue;
            // The cookie is taken before the slot is freed, so a concurrent post of the same occurrence
            // either sees it (and relies on this firing) or claims a slot of its own.
            const Occurrence occ = Cookie(i).exchange(0);
            if (occ == 0) continue;
            Busy(i).fetch_and(~1u);
            pending_.fetch_sub(1);
            fire(occ);
        }
    }

  private:
    void* Slot(uInt32 i) const { return block_ + kHeaderBytes + 8 * i; }
    std::atomic_ref<uInt32> Busy(uInt32 i) const {
        return std::atomic_ref<uInt32>(*static_cast<uInt32*>(Slot(i)));
    }
    std::atomic_ref<uInt32> Cookie(uInt32 i) const {
        return std::atomic_ref<uInt32>(*(static_cast<uInt32*>(Slot(i)) + 1));
    }

    uChar* block_ = nullptr;
    std::atomic<int32> pending_{0};
};

}  // namespace tq::occurrences
