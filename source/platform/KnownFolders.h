// The operating system's standard folders: the user's own, the ones shared by every user, the system's and
// the temporary folder. Every call asks the system afresh, so a changed setting shows at once. Any thread.
#pragma once

#include <string>

#include "tqcore/types.h"

namespace tq::platform {

// In the order of the library's system folder type codes.
enum class KnownFolder : int32 {
    kHome = 0,
    kDesktop,
    kDocuments,
    kUserApplicationData,
    kUserPreferences,
    kUserTemporary,
    kPublicDocuments,
    kPublicApplicationData,
    kPublicPreferences,
    kSystemCoreLibraries,
    kSystemInstalledLibraries,
    kApplicationFiles,
    kBootVolumeRoot,
    kPublicCache,
};
inline constexpr int32 kKnownFolderCount = 14;

// The folder's OS name (UTF-8), without a trailing separator except for a root; empty when the system cannot
// supply it. With create, a folder that does not exist yet is made (with its parents) where the system allows
// it. Not for kUserTemporary.
std::string KnownFolderPath(KnownFolder folder, bool create);

// Why the temporary folder could not be had: which step failed and the OS error number.
struct TemporaryFolderFailure {
    enum Step : int32 { kNone, kAsking, kLongName } step = kNone;
    int32 error = 0;
};
// The temporary folder's OS name in its long form (all links and short names resolved). Empty on failure.
std::string TemporaryFolderPath(TemporaryFolderFailure& failure);

}  // namespace tq::platform
