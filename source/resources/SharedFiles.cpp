#include "resources/SharedFiles.h"

#include <map>
#include <new>

namespace tq::resources {
namespace {

struct LexicalLess {
    bool operator()(const PathRef& a, const PathRef& b) const { return a.Compare(b, kCompareLexical) < 0; }
};
struct Shared {
    PKResFile* file;
    int32 count;
};
using Table = std::map<PathRef, Shared, LexicalLess>;

Table& TheTable() {
    static Table* table = new Table;  // outlives every static file object
    return *table;
}

}  // namespace

PKResFile* SharedAcquire(const PathRef& path) {
    auto it = TheTable().find(path);
    if (it == TheTable().end()) return nullptr;
    ++it->second.count;
    return it->second.file;
}

bool SharedEnter(const PathRef& path, PKResFile* file) {
    try {
        TheTable().insert_or_assign(path, Shared{file, 1});
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool SharedRelease(const PathRef& path, PKResFile* file) {
    auto it = TheTable().find(path);
    if (it == TheTable().end() || it->second.file != file) return false;
    if (it->second.count >= 2) {
        --it->second.count;
        return true;
    }
    TheTable().erase(it);
    return false;
}

}  // namespace tq::resources
