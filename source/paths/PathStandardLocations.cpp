// Standard locations: well-known paths the host registers under a name.
#include "paths/PathItemStorage.h"
#include "paths/PathRefAccess.h"
#include "tqcore/core.h"
#include "tqcore/paths.h"

#define TQ_UNIT "source\\PathRef"

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
