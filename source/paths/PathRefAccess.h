// What the path units share about a PathRef's insides: building a value from an element, and the item chain.
#pragma once

#include <vector>

#include "paths/PathItemElement.h"

class PathRefAccess {
  public:
    // A path over e, taking over one retain of e that the caller holds.
    static PathRef Adopting(PathItemElement* e) {
        PathRef p;
        p.Adopt(e);
        return p;
    }
    // A path over e, with a retain of its own.
    static PathRef Sharing(const PathItemElement* e) {
        return PathRef(const_cast<PathItemElement*>(e), PathRef::Retaining());
    }
    static PathItemElement* Element(const PathRef& p) { return p.element_; }
    static std::string& Buffer(const PathRef& p) { return p.Buffer(); }
};

namespace tq::paths {

// The items of e, item 0 first; false when the chain ends before the base (a corrupt path).
inline bool ChainItems(const PathItemElement* e, std::vector<const PathItemElement*>& out) {
    out.assign(e ? size_t(e->depth) : 0, nullptr);
    for (size_t i = out.size(); i > 0; --i) {
        if (!e || !e->parent) return false;
        out[i - 1] = e;
        e = e->parent;
    }
    return true;
}

}  // namespace tq::paths
