// Standard locations: well-known paths the host registers under a name.
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "paths/PathItemElement.h"
#include "paths/PathItemStorage.h"
#include "paths/PathRefAccess.h"
#include "tqcore/core.h"
#include "tqcore/paths.h"

#define TQ_UNIT "source\\PathRef"

namespace tq::paths {
namespace {

// Each registered element holds one retain of the map's.
struct StandardLocations {
    std::mutex lock;
    std::map<std::string, PathItemElement*, std::less<>> byName;
};

StandardLocations& Standard() {
    static StandardLocations locations;
    return locations;
}

}  // namespace

bool RegisterStandardLocation(const std::string& name, PathItemElement* e) {
    StandardLocations& s = Standard();
    std::lock_guard<std::mutex> hold(s.lock);
    if (!s.byName.emplace(name, e).second) return false;
    Retain(e);
    return true;
}

PathItemElement* LookUpStandardLocation(const char* name) {
    StandardLocations& s = Standard();
    std::lock_guard<std::mutex> hold(s.lock);
    const auto it = s.byName.find(std::string_view(name));
    if (it == s.byName.end()) return nullptr;
    Retain(it->second);
    return it->second;
}

// Released outside the lock from a plain list: a release may free elements.
void ForgetStandardLocations() {
    std::vector<PathItemElement*> gone;
    {
        StandardLocations& s = Standard();
        std::lock_guard<std::mutex> hold(s.lock);
        for (auto& entry : s.byName) gone.push_back(entry.second);
        s.byName.clear();
    }
    for (PathItemElement* element : gone) Release(element);
}

}  // namespace tq::paths

PathRef::PathRef(const char* standardLocationName) {
    element_ = standardLocationName ? tq::paths::LookUpStandardLocation(standardLocationName) : nullptr;
    if (!element_) throw PKExcept(kErrArgument, "Unknown standardLocationName", TQ_UNIT, __LINE__);
}

TqErr PathRef::AssignToName(const char* name) {
    if (!name || !element_) return kErrArgument;
    try {
        return tq::paths::RegisterStandardLocation(name, element_) ? kErrNone : kErrArgument;
    } catch (const std::bad_alloc&) {
        return kErrMemoryFull;
    }
}

const char* PathRef::ApplicationPath() {
    return "os_app";
}
const char* PathRef::TempDir() {
    return "os_temp";
}
const char* PathRef::PreferenceDir() {
    return "os_pref";
}
const char* PathRef::DocumentsDir() {
    return "os_doc";
}
