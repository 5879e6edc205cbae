// Element storage: slot buffers that hand out and take back path tree elements.
#include "paths/PathItemStorage.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <new>
#include <vector>

#include "diagnostics/Report.h"
#include "paths/PathItemElement.h"

#define TQ_UNIT "source\\PathItemStorage"

namespace tq::paths {
namespace {

// Elements live in buffers of 512 slots, so paths made together sit together in memory and walking them stays
// in the cache. A slot is free while its element is not alive. Guarded by the path mutex, like every caller.
constexpr int32 kSlots = 512;

struct Buffer {
    PathItemElement slots[kSlots];
    int32 cursor = 0;  // where the next search starts
    int32 used = 0;
};

struct Storage {
    std::vector<std::unique_ptr<Buffer>> buffers;
    std::vector<Buffer*> byAddress;  // the same buffers, in address order, to find an element's buffer
    size_t current = 0;

    // Frees the buffers that hold no live element; one that still does stays, since paths point into it.
    void Drain() {
        std::vector<std::unique_ptr<Buffer>> kept;
        for (auto& b : buffers) {
            if (b->used) {
                TQ_REPORT(kDbgWarn, "Killing a storage buffer with ", b->used, " live object(s)");
                kept.push_back(std::move(b));
            }
        }
        buffers = std::move(kept);
        Index();
        current = 0;
    }

    void Index() {
        byAddress.clear();
        for (auto& b : buffers) byAddress.push_back(b.get());
        std::sort(byAddress.begin(), byAddress.end(), std::less<Buffer*>());
    }

    static PathItemElement* Take(Buffer& b) {
        for (int32 n = 0; n < kSlots; ++n) {
            const int32 i = (b.cursor + n) % kSlots;
            PathItemElement& e = b.slots[i];
            if (e.alive || e.retains.load(std::memory_order_relaxed)) continue;
            b.cursor = (i + 1) % kSlots;
            ++b.used;
            e.retains.store(0, std::memory_order_relaxed);
            return &e;
        }
        return nullptr;
    }

    PathItemElement* New() {
        for (size_t n = 0; n < buffers.size(); ++n) {
            const size_t k = (current + n) % buffers.size();
            if (buffers[k]->used == kSlots) continue;
            current = k;
            if (PathItemElement* e = Take(*buffers[k])) return e;
        }
        auto b = std::unique_ptr<Buffer>(new (std::nothrow) Buffer());
        if (!b) return nullptr;
        try {
            buffers.push_back(std::move(b));
            Index();
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        current = buffers.size() - 1;
        return Take(*buffers.back());
    }

    void Free(PathItemElement* e) {
        auto it = std::upper_bound(
            byAddress.begin(), byAddress.end(), e,
            [](const PathItemElement* x, Buffer* b) { return std::less<const void*>()(x, b->slots); });
        if (it == byAddress.begin()) return;
        Buffer* b = *--it;
        if (e < b->slots + kSlots) --b->used;
    }
};

Storage& TheStorage() {
    static Storage storage;
    return storage;
}

// A slot taken for an element is marked by one retain until its maker sets the element up.
void Clear(PathItemElement* e) {
    e->name.clear();
    e->parent = nullptr;
    e->alive = 0;
    e->children.clear();
    e->childrenChecked = 0;
    e->cache.reset();
    e->depth = 0;
    e->foldedHash = 0;
}

}  // namespace

PathItemElement* NewElement() {
    PathItemElement* e = TheStorage().New();
    if (e) {
        Clear(e);
        e->retains.store(1, std::memory_order_relaxed);
    }
    return e;
}

void FreeElement(PathItemElement* e) {
    if (!e) return;
    Clear(e);
    e->retains.store(0, std::memory_order_relaxed);
    TheStorage().Free(e);
}

void DrainElements() {
    TheStorage().Drain();
}

}  // namespace tq::paths
