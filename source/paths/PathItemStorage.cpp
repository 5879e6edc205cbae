// Element storage: a ring of slot buffers that hand out and take back path tree elements, and their garbage
// collection.
#include "paths/PathItemStorage.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "diagnostics/Report.h"
#include "paths/PathCache.h"
#include "paths/PathItemElement.h"
#include "paths/PathManagerImplementation.h"
#include "tqcore/threads.h"

#define TQ_UNIT "source\\PathItemStorage"

namespace tq::paths {
namespace {

// Elements live in buffers of 512 slots, so paths made together sit together in memory and walking them stays
// in the cache. A slot is free while its element is neither alive nor retained. Slots are handed out and
// taken back under the path mutex; the ring itself changes under the storage mutex as well.
constexpr int32 kSlots = 512;
// What one buffer counts for in the collection's figures.
constexpr uInt64 kBufferBytes = 49168;
// Empty buffers kept back by the automatic collection, so a tree that breathes does not churn the heap.
constexpr int32 kSpareBuffers = 1;

struct Buffer {
    PathItemElement slots[kSlots];
    Buffer* next = this;
    int32 cursor = kSlots - 1;  // where the next search starts; searches step downwards
    int32 used = 0;
};

bool SlotFree(const PathItemElement& e) {
    return !e.alive && e.retains.load(std::memory_order_relaxed) == 0;
}

class StorageLock {
  public:
    explicit StorageLock(ThMutex m) : mutex_(m) {
        if (mutex_) ThMutexAcquire(mutex_);
    }
    ~StorageLock() {
        if (mutex_) ThMutexRelease(mutex_);
    }
    StorageLock(const StorageLock&) = delete;
    StorageLock& operator=(const StorageLock&) = delete;

  private:
    ThMutex mutex_;
};

struct Storage {
    ThMutex mutex = nullptr;
    Buffer* current = nullptr;
    std::vector<Buffer*> byAddress;      // every buffer of the ring, in address order
    std::atomic<int32> emptyBuffers{0};  // buffers whose used count is 0 (changed under the path mutex)

    static PathItemElement* Take(Buffer& b) {
        for (int32 n = 0; n < kSlots; ++n) {
            PathItemElement& e = b.slots[b.cursor];
            b.cursor = b.cursor ? b.cursor - 1 : kSlots - 1;
            if (!SlotFree(e)) continue;
            return &e;
        }
        return nullptr;
    }

    void Claimed(Buffer& b) {
        if (b.used++ == 0) --emptyBuffers;
    }

    // Path mutex held.
    PathItemElement* New() {
        if (current) {
            Buffer* b = current;
            do {
                if (b->used < kSlots) {
                    if (PathItemElement* e = Take(*b)) {
                        current = b;
                        Claimed(*b);
                        return e;
                    }
                }
                b = b->next;
            } while (b != current);
        }
        Buffer* b = Grow();
        if (!b) return nullptr;
        PathItemElement* e = Take(*b);
        Claimed(*b);
        return e;
    }

    Buffer* Grow() {
        auto* b = new (std::nothrow) Buffer();
        if (!b) return nullptr;
        StorageLock lock(mutex);
        try {
            byAddress.insert(std::upper_bound(byAddress.begin(), byAddress.end(), b, std::less<Buffer*>()),
                             b);
        } catch (const std::bad_alloc&) {
            delete b;
            return nullptr;
        }
        if (current) {
            b->next = current->next;
            current->next = b;
        }
        current = b;
        ++emptyBuffers;
        return b;
    }

    Buffer* BufferOf(const PathItemElement* e) const {
        auto it = std::upper_bound(
            byAddress.begin(), byAddress.end(), e,
            [](const PathItemElement* x, Buffer* b) { return std::less<const void*>()(x, b->slots); });
        if (it == byAddress.begin()) return nullptr;
        Buffer* b = *--it;
        return std::less<const void*>()(e, b->slots + kSlots) ? b : nullptr;
    }

    // Path mutex held.
    void Free(PathItemElement* e) {
        if (Buffer* b = BufferOf(e))
            if (--b->used == 0) ++emptyBuffers;
    }

    // Path and storage mutexes held: unlinks and frees the empty buffers beyond keep; the bytes freed.
    uInt64 FreeEmpty(int32 keep) {
        uInt64 freed = 0;
        for (size_t i = byAddress.size(); i-- > 0;) {
            Buffer* b = byAddress[i];
            if (b->used || keep-- > 0) continue;
            Unlink(b);
            byAddress.erase(byAddress.begin() + ptrdiff_t(i));
            --emptyBuffers;
            delete b;
            freed += kBufferBytes;
        }
        return freed;
    }

    void Unlink(Buffer* b) {
        Buffer* before = b;
        while (before->next != b) before = before->next;
        before->next = b->next;
        if (current == b) current = b->next == b ? nullptr : b->next;
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

// Path and storage mutexes held: the report lines for elements held by more than their children.
void FindLeaks(std::vector<std::pair<int32, std::string>>& leaks, CacheGraveyard& graveyard) {
    for (Buffer* b : TheStorage().byAddress) {
        for (PathItemElement& e : b->slots) {
            if (SlotFree(e)) {
                BuryCacheLocked(&e, graveyard);
                continue;
            }
            const int32 retains = e.retains.load(std::memory_order_relaxed);
            if (e.alive && retains > int32(e.children.size())) leaks.emplace_back(retains, e.name);
        }
    }
}

}  // namespace

TqErr StartStorage() {
    Storage& s = TheStorage();
    if (s.mutex) return kErrNone;
    return ThMutexCreate(&s.mutex, "PathStorageMutex") == kErrNone ? kErrNone : kErrMemoryFull;
}

void StopStorage() {
    Storage& s = TheStorage();
    if (s.mutex) ThMutexDestroy(s.mutex);
    s.mutex = nullptr;
}

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
    Storage& s = TheStorage();
    StorageLock lock(s.mutex);
    s.FreeEmpty(0);
    for (Buffer* b : s.byAddress)
        TQ_REPORT(kDbgWarn, "Killing a storage buffer with ", b->used, " live object(s)");
}

void CollectIfDue() {
    Storage& s = TheStorage();
    if (s.emptyBuffers.load(std::memory_order_relaxed) <= kSpareBuffers) return;
    PathLock lock;
    StorageLock storageLock(s.mutex);
    s.FreeEmpty(kSpareBuffers);
}

uInt64 StorageBytes() {
    PathLock lock;
    StorageLock storageLock(TheStorage().mutex);
    return uInt64(TheStorage().byAddress.size()) * kBufferBytes;
}

}  // namespace tq::paths

uInt64 PathRef::GarbageCollect(OptimizationMethod m) {
    using namespace tq::paths;
    std::vector<std::pair<int32, std::string>> leaks;
    uInt64 reclaimed = 0;
    {
        CacheGraveyard graveyard;
        PathLock lock;
        Storage& s = TheStorage();
        StorageLock storageLock(s.mutex);
        if (m == 2) FindLeaks(leaks, graveyard);
        if (m) reclaimed = s.FreeEmpty(0);
    }
    for (const auto& leak : leaks)
        TQ_REPORT(kDbgWarn, "Leaked Path Element: ", leak.first, " refs to ", leak.second.c_str());
    TQ_REPORT(kDbgNote, "Path Garbage Collect: ", reclaimed, " bytes reclaimed");
    return reclaimed;
}
