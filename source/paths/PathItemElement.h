// One node of the process-wide path tree and the operations that grow and shrink the tree.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "paths/PathCache.h"
#include "tqcore/paths.h"

class PathItemElement {
  public:
    struct Child {
        int32 hash;
        PathItemElement* element;
    };

    std::string name;
    PathItemElement* parent = nullptr;
    std::atomic<int32> retains{0};
    int32 alive = 0;
    std::vector<Child> children;
    uInt8 childrenChecked = 0;
    std::unique_ptr<tq::paths::ElementCache> cache;
    int32 depth = 0;
    // The name's case-folded hash: names that differ in it differ under every case-insensitive policy.
    uInt32 foldedHash = 0;
};

namespace tq::paths {

inline constexpr int32 kIterativeReleaseDepth = 200;
inline constexpr int32 kSanityDepthLimit = 512;

// The child of parent called name (byte-exact), created when missing; returned with one retain that the
// caller hands to a PathRef or releases. Null when it cannot be made.
PathItemElement* FindOrCreateChild(PathItemElement* parent, const char* name, size_t length);
// A retain needs no lock.
inline void Retain(PathItemElement* e) {
    if (e) e->retains.fetch_add(1, std::memory_order_relaxed);
}
// Drops one retain; an element whose count reaches 0 leaves the tree and releases its parent in turn.
void Release(PathItemElement* e);

// Up-dir items have empty names.
inline bool IsUpDir(const PathItemElement* e) {
    return e->parent && e->name.empty();
}
// The root of e's chain (e itself for a root); null for null.
const PathItemElement* RootOf(const PathItemElement* e);
// The ancestor of e at the given depth (0: its root).
const PathItemElement* AncestorAt(const PathItemElement* e, int32 depth);

bool CheckSanity(const PathItemElement* e, bool report);

}  // namespace tq::paths
