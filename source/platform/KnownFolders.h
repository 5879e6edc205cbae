// The operating system's standard folders: the user's own, the ones shared by every user and the system's.
// Every call asks the system afresh, so a changed setting shows at once. Any thread.
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
// it. The temporary folder is the file system's (platform/FileSystem.h): empty here.
std::string KnownFolderPath(KnownFolder folder, bool create);

}  // namespace tq::platform
