// Path tree elements: interning a name under its parent, reference counts and release.
#include "paths/PathItemElement.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "diagnostics/Report.h"
#include "paths/PathItemStorage.h"
#include "paths/PathManagerImplementation.h"
#include "tqcore/strings.h"

#define TQ_UNIT "source\\PathItemElement"

namespace tq::paths {
namespace {

int32 NameHash(const char* name, size_t length) {
    return int32(StringUtils::Hash(reinterpret_cast<const uChar*>(name), uInt32(length), false));
}

std::vector<PathItemElement::Child>::iterator LowerBound(PathItemElement* parent, int32 hash) {
    return std::lower_bound(parent->children.begin(), parent->children.end(), hash,
                            [](const PathItemElement::Child& c, int32 h) { return c.hash < h; });
}

// Removes e from its parent's children and clears it; returns the parent, whose retain e held.
PathItemElement* Unlink(PathItemElement* e, CacheGraveyard& graveyard) {
    PathItemElement* parent = e->parent;
    if (parent) {
        const int32 hash = NameHash(e->name.data(), e->name.size());
        for (auto it = LowerBound(parent, hash); it != parent->children.end() && it->hash == hash; ++it) {
            if (it->element == e) {
                parent->children.erase(it);
                break;
            }
        }
    }
    e->parent = nullptr;
    e->children.clear();
    BuryCacheLocked(e, graveyard);
    e->alive = 0;
    return parent;
}

// Drops one retain under the path mutex; true when e reached 0 and must leave the tree.
bool DropRetain(PathItemElement* e) {
    const int32 before = e->retains.load(std::memory_order_relaxed);
    if (before < 1)
        TQ_REPORT(kDbgError, "Release of PathItemElement, but we did not have enough retains ",
                  e->name.c_str(), " ", before);
    return e->retains.fetch_sub(1, std::memory_order_acq_rel) == 1;
}

// Collects the chain that dies first, so very deep paths cannot exhaust the stack.
void ReleaseChainIteratively(PathItemElement* e, CacheGraveyard& graveyard) {
    std::vector<PathItemElement*> dead;
    while (e && DropRetain(e)) {
        dead.push_back(e);
        e = Unlink(e, graveyard);
    }
    for (PathItemElement* d : dead) FreeElement(d);
}

void ReleaseLocked(PathItemElement* e, CacheGraveyard& graveyard) {
    if (e->depth >= kIterativeReleaseDepth) return ReleaseChainIteratively(e, graveyard);
    if (!DropRetain(e)) return;
    PathItemElement* parent = Unlink(e, graveyard);
    FreeElement(e);
    if (parent) ReleaseLocked(parent, graveyard);
}

bool Insane(bool report, const char* why, int32 a = -1, int32 b = -1) {
    if (!report) return false;
    if (a < 0)
        TQ_REPORT(kDbgError, why);
    else
        TQ_REPORT(kDbgError, why, a, " but this is ", b);
    return false;
}

bool ChildrenSane(const PathItemElement* e, bool report) {
    for (size_t i = 0; i < e->children.size(); ++i) {
        if (e->children[i].element->parent != e)
            return Insane(report, "PathItemElement child does not point back");
        if (i && e->children[i - 1].hash > e->children[i].hash)
            return Insane(report, "PathItemElement children out of hash order");
    }
    return true;
}

bool ElementSane(const PathItemElement* e, bool report) {
    if (e->parent == e) return Insane(report, "PathItemElement insane because parent is self");
    if (!e->parent) {
        if (e->depth != 0)
            return Insane(report, "PathItemElement insane because it is a base and has a non-zero count");
    } else if (e->depth != e->parent->depth + 1) {
        return Insane(report, "PathItemElement insane because its parent has count of ", e->parent->depth,
                      e->depth);
    }
    if (e->childrenChecked) return true;
    if (!ChildrenSane(e, report)) return false;
    const_cast<PathItemElement*>(e)->childrenChecked = 1;
    return true;
}

}  // namespace

PathItemElement* FindOrCreateChild(PathItemElement* parent, const char* name, size_t length) {
    const int32 hash = NameHash(name, length);
    PathLock lock;
    auto it = LowerBound(parent, hash);
    for (auto m = it; m != parent->children.end() && m->hash == hash; ++m) {
        const std::string& n = m->element->name;
        if (n.size() == length && std::memcmp(n.data(), name, length) == 0) {
            Retain(m->element);
            return m->element;
        }
    }
    PathItemElement* e = NewElement();
    if (!e) return nullptr;
    try {
        e->name.assign(name, length);
        it = parent->children.insert(it, {hash, e});
    } catch (...) {
        FreeElement(e);
        return nullptr;
    }
    e->retains.store(1, std::memory_order_relaxed);
    e->alive = 1;
    e->depth = parent->depth + 1;
    e->foldedHash = StringUtils::Hash(reinterpret_cast<const uChar*>(name), uInt32(length), true);
    e->parent = parent;
    Retain(parent);
    parent->childrenChecked = 0;
    return e;
}

void Release(PathItemElement* e) {
    if (!e) return;
    // A count that stays above zero changes without the lock: only the step to zero unlinks.
    int32 n = e->retains.load(std::memory_order_relaxed);
    while (n > 1)
        if (e->retains.compare_exchange_weak(n, n - 1, std::memory_order_acq_rel)) return;
    {
        CacheGraveyard graveyard;
        PathLock lock;
        ReleaseLocked(e, graveyard);
    }
    CollectIfDue();
}

const PathItemElement* RootOf(const PathItemElement* e) {
    while (e && e->parent) e = e->parent;
    return e;
}

const PathItemElement* AncestorAt(const PathItemElement* e, int32 depth) {
    while (e && e->depth > depth) e = e->parent;
    return e;
}

bool CheckSanity(const PathItemElement* e, bool report) {
    PathLock lock;
    for (int32 level = 0; e; ++level, e = e->parent) {
        if (level >= kSanityDepthLimit) {
            if (report)
                TQ_REPORT(kDbgError,
                          "Stopped sanity check because of very deep path. This could represent a "
                          "recursive linkage of the elements.");
            return false;
        }
        if (!ElementSane(e, report)) return false;
    }
    return true;
}

}  // namespace tq::paths
