// Case correction of paths against the names on disk, with its cached answers; and the existence entries
// hosts cache on paths.
#define TQ_UNIT "source\\PathCaseCorrection"

#include <cmath>
#include <memory>
#include <string>

#include "files/OsPathName.h"
#include "files/PathCacheReads.h"
#include "paths/PathCache.h"
#include "paths/PathItemElement.h"
#include "paths/PathManagerImplementation.h"
#include "platform/FileSystem.h"
#include "tqcore/core.h"
#include "tqcore/paths.h"

namespace {

constexpr const char* kCaseIsCorrect = "_pathref_case_is_correct_";
constexpr const char* kCorrectedCase = "_pathref_corrected_case_";

// A host's existence entry: after the cached item's own fields, an is-file byte and an is-folder byte.
struct FlavorBytes {
    uInt8 isFile;
    int8 isFolder;
};

bool FreshBool(const PathRef& p, const char* key, bool* value) {
    tq::paths::PathLock lock;
    const auto* item = static_cast<const PathRef::CachedBool*>(tq::paths::FindCachedLocked(
        p.Element(), key, PathRef::CachedBool::ClassName(), PathRef::kSearchHere, nullptr));
    if (item) *value = item->Value();
    return item != nullptr;
}

bool FreshPath(const PathRef& p, const char* key, PathRef* value) {
    tq::paths::PathLock lock;
    const auto* item = static_cast<const PathRef::CachedPath*>(tq::paths::FindCachedLocked(
        p.Element(), key, PathRef::CachedPath::ClassName(), PathRef::kSearchHere, nullptr));
    if (item) *value = item->Value();
    return item != nullptr;
}

uInt32 LifetimeMs(double seconds) {
    const double ms = std::floor(seconds * 1000.0);
    return ms <= 0                                       ? 0
           : ms >= double(tq::paths::kUnlimitedLifetime) ? tq::paths::kUnlimitedLifetime
                                                         : uInt32(ms);
}

// The last item of p as the disk spells it; the stored name when the disk does not have it.
std::string NameOnDisk(const PathRef& p) {
    std::string name;
    if (tq::files::OsPathName(const_cast<Path>(&p), false, name) != kErrNone)
        throw PKExcept(kErrArgument, "Unable to get DOS Path", TQ_UNIT, __LINE__);
    const std::string spelt = tq::platform::LongPathName(name.c_str());
    if (spelt.empty()) return p.Name();
    const size_t cut =
        spelt.find_last_of(tq::platform::NativeNameStyle() == tq::platform::OsNameStyle::kDos ? "\\/" : "/");
    const std::string last =
        tq::files::LibraryTextFromOs(cut == std::string::npos ? spelt : spelt.substr(cut + 1));
    return last.empty() ? p.Name() : last;
}

}  // namespace

namespace tq::files {

bool KnownMissing(const PathRef& p) {
    tq::paths::PathLock lock;
    const PathRef::CachedItem* item =
        tq::paths::FindCachedLocked(p.Element(), "FExists", "CachedPathFlavor", PathRef::kSearchUp, nullptr);
    if (!item) return false;
    const auto* flavor = reinterpret_cast<const FlavorBytes*>(reinterpret_cast<const uInt8*>(item) +
                                                              sizeof(PathRef::CachedItem));
    return flavor->isFile == 0 && flavor->isFolder <= 0;
}

}  // namespace tq::files

PathRef PathRef::GetCorrectedCase(double seconds) const {
    if (!IsValid() || StartsWith(kBaseRelative) || ItemCount() == 0) return *this;
    bool correct = false;
    if (FreshBool(*this, kCaseIsCorrect, &correct) && correct) return *this;
    PathRef corrected;
    if (FreshPath(*this, kCorrectedCase, &corrected)) return corrected;

    PathRef result = GetParentDirectory().GetCorrectedCase(seconds);
    try {
        result.Append(NameOnDisk(*this));
    } catch (const std::bad_alloc&) {
        throw PKExcept(kErrMemoryFull, "Unable to copy the name of the PathRef", TQ_UNIT, __LINE__);
    }
    const bool unchanged = result.Equals(*this, kCompareExact);
    const uInt32 lifetime = LifetimeMs(seconds);
    if (!unchanged) Cache(kCorrectedCase, new CachedPath(lifetime, result, kDependsOnMetaData));
    result.Cache(kCaseIsCorrect, new CachedBool(lifetime, unchanged, kDependsOnMetaData));
    return result;
}
