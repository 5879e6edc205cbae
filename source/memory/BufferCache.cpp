// The buffer cache behind the memory manager's cache-aware handle operations.
#include "memory/BufferCache.h"

#include <atomic>
#include <new>
#include <vector>

#include "memory/ThreadCache.h"
#include "platform/PoolHeap.h"
#include "threads/ThMutexHold.h"
#include "tqcore/threads.h"

namespace tq::memory {

namespace {

struct Entry {
    uChar* data;
    uInt64 size;  // the block's guard size
};

// Read without the mutex by the bypass test, so each is atomic; a request racing a change sees either value.
std::atomic<int32> gMinSize{BufferCacheSettings{}.minBufferSize};
std::atomic<int32> gMaxBuffers{BufferCacheSettings{}.maxBuffers};
std::atomic<int32> gThreshold{BufferCacheSettings{}.cleanUpThreshold};
std::atomic<float> gFactor{BufferCacheSettings{}.resizeFactor};

std::atomic<ThMutex> gMutex{nullptr};
// Under gMutex; oldest first.
std::vector<Entry> gEntries;
uInt64 gTotal = 0;

bool Cacheable(uInt64 size) {
    return size >= uInt64(gMinSize.load(std::memory_order_relaxed)) &&
           size < uInt64(gThreshold.load(std::memory_order_relaxed));
}

void FreeEntry(const Entry& e, uInt64 guardRoom) {
    const HandleHeader h = ReadHeader(e.data, guardRoom);
    ReleaseBlock(CurrentCache(), BlockOf(e.data, h, guardRoom), h.blockBytes);
}

// Entries past the bounds, newest first; the caller frees them once the mutex is released.
std::vector<Entry> TrimLocked() {
    std::vector<Entry> gone;
    while (!gEntries.empty() && (gEntries.size() > uInt64(gMaxBuffers.load(std::memory_order_relaxed)) ||
                                 gTotal > uInt64(gThreshold.load(std::memory_order_relaxed)))) {
        try {
            gone.push_back(gEntries.back());
        } catch (const std::bad_alloc&) {
            FreeEntry(gEntries.back(), HandleGuardRoom());
        }
        gTotal -= gEntries.back().size;
        gEntries.pop_back();
    }
    return gone;
}

void FreeAll(const std::vector<Entry>& entries) {
    for (const Entry& e : entries) FreeEntry(e, HandleGuardRoom());
}

// The smallest entry of at least size bytes, the first on equal sizes; -1 when there is none.
int64 Smallest(uInt64 size) {
    int64 best = -1;
    for (size_t i = 0; i < gEntries.size(); ++i)
        if (gEntries[i].size >= size && (best < 0 || gEntries[i].size < gEntries[size_t(best)].size))
            best = int64(i);
    return best;
}

// Lays out the block of e for size bytes with l, resizing it when its size differs; null when the pool
// cannot resize it.
uChar* Prepare(const Entry& e, uInt64 size, Layout l, uInt64 g) {
    const HandleHeader h = ReadHeader(e.data, g);
    uChar* block = BlockOf(e.data, h, g);
    uInt64 bytes = h.blockBytes;
    uChar* data = e.data;
    if (e.size != size) {
        bytes = SizeBlock(PaddedSize(size, l, g)).bytes;
        block = bytes ? static_cast<uChar*>(platform::PoolResize(block, bytes)) : nullptr;
        if (!block) return nullptr;
        data = PlaceData(block, l, g, size);
    } else {
        l = LayoutOf(h);
    }
    StampBlock(block, bytes, data, l, g, size);
    if (Has(kGuardHandles, kGuardWrite)) WriteGuards(data, size);
    return data;
}

bool Fits(const Entry& e, uInt64 size, Layout l, uInt64 g) {
    if (e.size == size) {
        const Layout own = LayoutOf(ReadHeader(e.data, g));
        return AlignsTo(own, l) && own.offset == l.offset;
    }
    return double(size) * double(gFactor.load(std::memory_order_relaxed)) >= double(e.size);
}

}  // namespace

bool CreateBufferCache() {
    if (gMutex.load()) return true;
    ThMutex m = nullptr;
    if (ThMutexCreate(&m, "BufferCache") != kErrNone) return false;
    gMutex.store(m);
    return true;
}

void ReleaseBufferCache() {
    EmptyBufferCache();
    ThMutexDestroy(gMutex.exchange(nullptr));
}

void EmptyBufferCache() {
    ThMutex m = gMutex.load();
    if (!m) return;
    std::vector<Entry> all;
    {
        threads::ThMutexHold hold(m);
        all.swap(gEntries);
        gTotal = 0;
    }
    FreeAll(all);
}

void SetBufferCacheSettings(const BufferCacheSettings& s) {
    if (s.minBufferSize >= 0) gMinSize.store(s.minBufferSize);
    if (s.maxBuffers >= 0) gMaxBuffers.store(s.maxBuffers);
    if (s.cleanUpThreshold >= 0) gThreshold.store(s.cleanUpThreshold);
    if (s.resizeFactor >= 1.0f) gFactor.store(s.resizeFactor);
}

BufferCacheSettings GetBufferCacheSettings() {
    return {gMinSize.load(), gMaxBuffers.load(), gThreshold.load(), gFactor.load()};
}

BufferCacheContents GetBufferCacheContents() {
    ThMutex m = gMutex.load();
    if (!m) return {};
    threads::ThMutexHold hold(m);
    return {gEntries.size(), gTotal};
}

bool CacheBuffer(uChar* data, const HandleHeader& h, uInt64 guardRoom) {
    ThMutex m = gMutex.load(std::memory_order_relaxed);
    if (!m || !Cacheable(h.guardSize)) return false;
    std::vector<Entry> gone;
    {
        threads::ThMutexHold hold(m);
        try {
            gEntries.push_back({data, h.guardSize});
        } catch (const std::bad_alloc&) {
            return false;
        }
        gTotal += h.guardSize;
        gone = TrimLocked();
    }
    for (const Entry& e : gone) FreeEntry(e, guardRoom);
    return true;
}

uChar* TakeCachedBuffer(uInt64 size, Layout l) {
    ThMutex m = gMutex.load(std::memory_order_relaxed);
    if (!m || !Cacheable(size)) return nullptr;
    const uInt64 g = HandleGuardRoom();
    threads::ThMutexHold hold(m);
    const int64 i = Smallest(size);
    if (i < 0 || !Fits(gEntries[size_t(i)], size, l, g)) return nullptr;
    const Entry e = gEntries[size_t(i)];
    uChar* data = Prepare(e, size, l, g);
    if (!data) return nullptr;
    gEntries.erase(gEntries.begin() + i);
    gTotal -= e.size;
    return data;
}

}  // namespace tq::memory
