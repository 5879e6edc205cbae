// The operating system's standard folders as paths.
#define TQ_UNIT "source\\SystemDirs"

#include <cstdio>
#include <string>

#include "files/PathSupport.h"
#include "platform/FileSystem.h"
#include "platform/KnownFolders.h"
#include "platform/LastError.h"
#include "tqcore/core.h"
#include "tqcore/paths.h"

namespace {

constexpr int32 kTypeCount = tq::platform::kKnownFolderCount;

const char* const kTypeNames[kTypeCount] = {"UserHomeDir",
                                            "UserDesktopDir",
                                            "UserDocumentsDir",
                                            "UserApplicationDataDir",
                                            "UserPreferencesDir",
                                            "UserTemporaryDir",
                                            "PublicDocumentsDir",
                                            "PublicApplicationDataDir",
                                            "PublicPreferencesDir",
                                            "SystemCoreLibrariesDir",
                                            "SystemInstalledLibrariesDir",
                                            "ApplicationFilesDir",
                                            "BootVolumeRootDir",
                                            "PublicCacheDir"};

[[noreturn]] void ThrowSystemCallFailure(const char* call, uInt32 error) {
    char message[PKExcept::kDetailSize];
    std::snprintf(message, sizeof message, "%s system call failed with error '%d'.", call, int(error));
    throw PKExcept(kErrGeneric, message, TQ_UNIT, __LINE__);
}

// The temporary folder in its long form; throws 42 with the failing call's error.
std::string TemporaryFolder() {
    tq::platform::SetLastError(0);
    const std::string asked = tq::platform::TemporaryDirectory();
    if (asked.empty()) ThrowSystemCallFailure("GetTempPath()", tq::platform::GetLastError());
    const std::string longName = tq::platform::LongPathName(asked.c_str());
    if (longName.empty()) ThrowSystemCallFailure("GetLongPathName()", tq::platform::GetLastError());
    return longName;
}

}  // namespace

PathRef SystemDirs::Get(SystemDirType type, bool create) {
    if (type < 0 || type >= kTypeCount)
        throw PKExcept(kErrArgument, "SystemDirs::Get: unknown SystemDirType", TQ_UNIT, __LINE__);
    const std::string folder = type == kUserTemporaryDir
                                   ? TemporaryFolder()
                                   : tq::platform::KnownFolderPath(tq::platform::KnownFolder(type), create);
    PathRef result(kBaseAbsolute);
    Path out = &result;
    if (folder.empty() || tq::files::PathFromOsName(folder, &out) != kErrNone) return PathRef(kBaseAbsolute);
    return result;
}

const char* SystemDirs::TypeName(SystemDirType type) {
    return type >= 0 && type < kTypeCount ? kTypeNames[type] : nullptr;
}

TqErr GetSystemDir(SystemDirType type, int32 create, Path out) {
    if (!out) return kErrArgument;
    try {
        *out = SystemDirs::Get(type, create != 0);
        return kErrNone;
    } catch (...) {
        return GetExceptionInCatch_FileAndLine(TQ_UNIT, __LINE__).ErrorCode();
    }
}
