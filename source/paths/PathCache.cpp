// The per-element caches: storing, finding and flushing cached values.
#include "paths/PathCache.h"

#include <cstring>

#include "paths/PathItemElement.h"
#include "paths/PathManagerImplementation.h"
#include "paths/PathRefAccess.h"
#include "tqcore/core.h"

#define TQ_UNIT "source\\PathCache"

namespace tq::paths {
namespace {

const PathRef::CachedItem* FreshHere(const PathItemElement* e, const char* key, bool* hasKey) {
    *hasKey = false;
    if (!e->cache) return nullptr;
    const auto it = e->cache->find(std::string_view(key));
    if (it == e->cache->end()) return nullptr;
    *hasKey = true;
    return it->second.get();
}

const PathRef::CachedItem* Accepted(const PathRef::CachedItem* item, const char* className) {
    return item && !item->Expired() && item->IsA(className) ? item : nullptr;
}

// Depth-first below e, children in hash order: the first element that has the key.
const PathItemElement* FindBelow(const PathItemElement* e, const char* key) {
    bool hasKey = false;
    FreshHere(e, key, &hasKey);
    if (hasKey) return e;
    for (const PathItemElement::Child& c : e->children)
        if (const PathItemElement* found = FindBelow(c.element, key)) return found;
    return nullptr;
}

const PathItemElement* Holder(const PathItemElement* e, const char* key, int32 direction) {
    bool hasKey = false;
    switch (direction) {
        case PathRef::kSearchUp:
            for (; e; e = e->parent) {
                FreshHere(e, key, &hasKey);
                if (hasKey) return e;
            }
            return nullptr;
        case PathRef::kSearchDown:
            return FindBelow(e, key);
        default:
            FreshHere(e, key, &hasKey);
            return hasKey ? e : nullptr;
    }
}

}  // namespace

const PathRef::CachedItem* FindCachedLocked(const PathItemElement* e, const char* key, const char* className,
                                            int32 direction, const PathItemElement** foundAt) {
    if (foundAt) *foundAt = nullptr;
    if (!e || !key) return nullptr;
    const PathItemElement* holder = Holder(e, key, direction);
    if (!holder) return nullptr;
    if (foundAt) *foundAt = holder;
    bool hasKey = false;
    return Accepted(FreshHere(holder, key, &hasKey), className);
}

void StoreCachedLocked(PathItemElement* e, const char* key, std::unique_ptr<PathRef::CachedItem>& item,
                       CacheGraveyard& graveyard) {
    if (!e->cache) e->cache = std::make_unique<ElementCache>();
    auto& slot = (*e->cache)[key];
    if (slot) graveyard.push_back(std::move(slot));
    slot = std::move(item);
}

void BuryCacheLocked(PathItemElement* e, CacheGraveyard& graveyard) {
    if (!e->cache) return;
    for (auto& entry : *e->cache) graveyard.push_back(std::move(entry.second));
    e->cache.reset();
}

}  // namespace tq::paths

using tq::paths::CacheGraveyard;
using tq::paths::PathLock;

TqErr PathRef::Cache(const char* key, CachedItem* item) const {
    std::unique_ptr<CachedItem> owned(item);
    if (!element_ || !key) return kErrArgument;
    CacheGraveyard graveyard;
    try {
        graveyard.reserve(1);
        PathLock lock;
        tq::paths::StoreCachedLocked(element_, key, owned, graveyard);
    } catch (const std::bad_alloc&) {
        return kErrMemoryFull;
    }
    return kErrNone;
}

uInt64 PathRef::FlushCache() {
    if (!element_) return 0;
    CacheGraveyard graveyard;
    uInt64 reclaimed = 0;
    PathLock lock;
    auto& cache = element_->cache;
    if (!cache) return 0;
    for (auto it = cache->begin(); it != cache->end();) {
        if (!it->second->Invalidate() && !it->second->Expired()) {
            ++it;
            continue;
        }
        reclaimed += it->second->Size() + tq::paths::kCacheEntryBytes;
        graveyard.push_back(std::move(it->second));
        it = cache->erase(it);
    }
    if (cache->empty()) {
        cache.reset();
        reclaimed += tq::paths::kCacheMapBytes;
    }
    return reclaimed;
}

const PathRef::CachedItem* PathRef::GetCachedProxy(const char* key, const char* className,
                                                   SearchDirection direction,
                                                   PathItemElement** foundAt) const {
    PathLock lock;
    const PathItemElement* at = nullptr;
    const CachedItem* item = tq::paths::FindCachedLocked(element_, key, className, direction, &at);
    if (foundAt) *foundAt = const_cast<PathItemElement*>(at);
    return item;
}
