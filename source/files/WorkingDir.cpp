// The current directory, the temporary folder, the environment's own folders, and paths the OS spells for us.
#define TQ_UNIT "source\\WorkingDir"

#include "files/WorkingDir.h"

#include <memory>

#include "diagnostics/Report.h"
#include "files/PathSupport.h"
#include "platform/FileSystem.h"
#include "platform/ModulePath.h"
#include "tqcore/core.h"

namespace {
namespace platform = tq::platform;
using tq::files::PathFromOsName;
using tq::files::RootedOsName;

// The OS's answer turned into *p, or code when it gave none.
TqErr SetFromOsName(const std::string& name, Path p, TqErr code) {
    if (name.empty()) return code;
    return PathFromOsName(name, &p);
}

// The folder holding the module at utf8Path.
TqErr FolderOfModule(const std::string& utf8Path, Path p) {
    if (const TqErr err = SetFromOsName(utf8Path, p, kErrNotFound)) return err;
    *p = p->GetParentDirectory();
    return kErrNone;
}

// How long the on-disk spelling found for a canonical path is trusted.
constexpr double kCanonicalCaseLifetimeSeconds = 10.0;

bool InRunTimeSystem() {
    return TQGetIsRunTime(nullptr) || TQGetIsFullFeatureRunTime(nullptr);
}

// Module names are expected to end in a four-character extension such as ".EXE".
void CheckModuleName(const std::string& utf8Path) {
    const size_t dot = utf8Path.rfind('.');
    if (dot != std::string::npos && utf8Path.size() - dot == 4) return;
    TQ_REPORT(kDbgNote, "app name should end in .EXE: \"", utf8Path.c_str(), "\"");
}
}  // namespace

namespace tq::files {

TqErr LeaveFolder(Path folder) {
    Path cwd = nullptr;
    if (const TqErr err = GetWorkingDir(&cwd)) return err;
    const std::unique_ptr<PathRef> owned(cwd);
    if (cwd->GetInCommonWith(*folder).ItemCount() != folder->ItemCount() || !cwd->StartsWith(*folder))
        return kErrNone;
    const PathRef parent = folder->GetParentDirectory();
    std::string name;
    if (parent.ItemCount() == 0) {
        // POSIX has a place above the volumes; Windows has none, and its volumes cannot be removed.
        name = "/";
    } else if (const TqErr err = RootedOsName(const_cast<Path>(&parent), false, name)) {
        return err;
    }
    return platform::SetCurrentDirectoryPath(name.c_str()) ? kErrNone : Win32ToPKFileErr();
}

}  // namespace tq::files

TqErr GetWorkingDir(Path* p) {
    if (!p) return kErrArgument;
    return PathFromOsName(platform::CurrentDirectoryPath(), p) == kErrNone ? kErrNone : kErrNotFound;
}

TqErr FGetStdTmpDirPath(Path p) {
    if (!p) return kErrArgument;
    const std::string temp = platform::TemporaryDirectory();
    const std::string name = temp.empty() ? temp : platform::LongPathName(temp.c_str());
    if (const TqErr err = SetFromOsName(name.empty() ? temp : name, p, kErrNotFound)) return err;
    const int32 kind = FExists(p);
    if (kind == 2) return kErrNone;
    if (kind != 0 && kind != 1) TQ_REPORT(kDbgWarn, "Someone changed what FExists returns");
    return FAppPath(p);
}

TqErr FMGPath(Path p) {
    if (!p) return kErrArgument;
    if (!InRunTimeSystem()) return FAppPath(p);
    void* const library = TQModuleGetModule();
    const std::string module = library ? platform::ModuleFilePath(library) : platform::LibraryPath();
    CheckModuleName(module);
    return FolderOfModule(module, p);
}

TqErr FResDir(Path p) {
    if (const TqErr err = FMGPath(p)) return err;
    if (!InRunTimeSystem()) p->Append("resource");
    return kErrNone;
}

TqErr FGetOSFolderPath(int32, Path out) {
    return out ? kErrNotFound : kErrArgument;
}

TqErr Win32GetLongFileName(Path p) {
    std::string name;
    if (const TqErr err = RootedOsName(p, false, name)) return err;
    const std::string spelt = platform::LongPathName(name.c_str());
    if (spelt.empty()) return kErrNotFound;
    return PathFromOsName(spelt, &p);
}

// Shortcut files on the way are resolved with the name; symbolic links are the OS's to resolve.
Path FResolvePath(Path out, Path in) {
    std::string name;
    if (RootedOsName(in, true, name) != kErrNone) return nullptr;
    const std::string resolved = platform::ResolvedPath(name.c_str());
    if (resolved.empty()) return nullptr;
    Path result = out;
    return PathFromOsName(resolved, &result) == kErrNone ? result : nullptr;
}

TqErr FGetCanonicalPath(Path p, Path* result) {
    if (!tq::files::IsRootedPath(p)) {
        TQ_REPORT(kDbgWarn, "FGetCanonicalPath: relative path passed in!");
        return kErrArgument;
    }
    if (!result) {
        TQ_REPORT(kDbgWarn, "FGetCanonicalPath: NULL resolvedPath passed in!");
        return kErrArgument;
    }
    if (p->ItemCount() == 0) {
        if (*result)
            **result = *p;
        else
            *result = new PathRef(*p);
        return kErrNone;
    }
    const Path resolved = FResolvePath(*result, p);
    if (!resolved) return kErrNotFound;
    *result = resolved;
    try {
        *resolved = resolved->GetCorrectedCase(kCanonicalCaseLifetimeSeconds);
    } catch (const PKExcept& e) {
        return e.ErrorCode();
    }
    return kErrNone;
}
