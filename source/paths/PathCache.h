// Values cached on an element of the path tree, keyed by name; guarded by the path mutex.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tqcore/paths.h"

namespace tq::paths {

using ElementCache = std::map<std::string, std::unique_ptr<PathRef::CachedItem>, std::less<>>;

// Items taken out under the path mutex wait here until it is released: a cached path's release may need the
// mutex itself. Declare one before the lock so it dies after it.
using CacheGraveyard = std::vector<std::unique_ptr<PathRef::CachedItem>>;

// Under the path mutex: the fresh item under key whose class answers className, looked up from e in
// direction (PathRef::SearchDirection); foundAt (optional) gets the element that has the key.
const PathRef::CachedItem* FindCachedLocked(const PathItemElement* e, const char* key, const char* className,
                                            int32 direction, const PathItemElement** foundAt);
// Under the path mutex: stores item under key on e (item is left alone if that fails); a replaced item goes
// to the graveyard.
void StoreCachedLocked(PathItemElement* e, const char* key, std::unique_ptr<PathRef::CachedItem>& item,
                       CacheGraveyard& graveyard);
// Under the path mutex: moves every item of e's cache to the graveyard and drops the map.
void BuryCacheLocked(PathItemElement* e, CacheGraveyard& graveyard);

inline constexpr uInt32 kUnlimitedLifetime = 0x7FFFFFFF;
inline constexpr uInt64 kCacheEntryBytes = 40;
inline constexpr uInt64 kCacheMapBytes = 16;

}  // namespace tq::paths
