// Changing the file system by path: copies, moves, deletions and new folders.
#define TQ_UNIT "source\\PathOperations"

#include <cstring>

#include "diagnostics/Report.h"
#include "files/PathSupport.h"
#include "files/WorkingDir.h"
#include "platform/FileSystem.h"
#include "tqcore/core.h"

namespace {
namespace platform = tq::platform;
using tq::files::FlushDestination;
using tq::files::IsRootedPath;
using tq::files::RootedOsName;

// Both names of a copy or a move: src below a volume, dst at least a volume.
TqErr SourceAndTarget(Path src, Path dst, int32 resolveSrc, std::string& from, std::string& to) {
    FlushDestination(dst);
    if (!IsRootedPath(src) || !IsRootedPath(dst) || src->ItemCount() < 2 || dst->ItemCount() < 1)
        return kErrArgument;
    if (const TqErr err = RootedOsName(src, resolveSrc != 0, from)) return err;
    return RootedOsName(dst, true, to);
}

TqErr Mapped(bool ok) {
    return ok ? kErrNone : Win32ToPKFileErr();
}

// The last item as a Pascal string, for the name check; false when it cannot be one.
bool LastItemPStr(Path p, Str255 out) {
    const std::string& item = p->ItemAt(p->ItemCount() - 1);
    if (item.empty() || item.size() > 255) return false;
    out[0] = uChar(item.size());
    std::memcpy(out + 1, item.data(), item.size());
    return true;
}
}  // namespace

TqErr FCopyResolve(Path src, Path dst, int32 resolveSrc) {
    std::string from, to;
    if (const TqErr err = SourceAndTarget(src, dst, resolveSrc, from, to)) return err;
    return Mapped(platform::FileCopy(from.c_str(), to.c_str()));
}

TqErr FCopy(Path src, Path dst) {
    return FCopyResolve(src, dst, 1);
}

TqErr FMoveResolve(Path src, Path dst, int32 resolveSrc) {
    std::string from, to;
    FlushDestination(src);
    if (const TqErr err = SourceAndTarget(src, dst, resolveSrc, from, to)) return err;
    if (const TqErr err = tq::files::LeaveFolder(src))
        TQ_REPORT(kDbgWarn, "failed to preprocess move file ", from.c_str(), ", error ", err);
    return Mapped(platform::FileMove(from.c_str(), to.c_str()));
}

TqErr FMove(Path src, Path dst) {
    return FMoveResolve(src, dst, 1);
}

// Deleting a link deletes the link, never what it points at.
TqErr FRemove(Path p) {
    FlushDestination(p);
    std::string name;
    if (const TqErr err = RootedOsName(p, false, name)) return err;
    platform::FileStatus status;
    if (!platform::FileGetLinkStatus(name.c_str(), &status)) return Win32ToPKFileErr();
    if (!status.folder) return Mapped(platform::FileDelete(name.c_str()));
    tq::files::LeaveFolder(p);
    return Mapped(platform::FolderRemove(name.c_str()));
}

TqErr FNewDir(Path p, int32) {
    FlushDestination(p);
    if (!IsRootedPath(p) || p->ItemCount() == 0) return kErrArgument;
    Str255 item;
    char bad[16];
    if (!LastItemPStr(p, item) || FileNameChk(item, 0, 0, bad) != 0) return kErrArgument;
    std::string name;
    if (const TqErr err = RootedOsName(p, false, name)) return err;
    return Mapped(platform::FolderMake(name.c_str()));
}

TqErr FNewDirHier(Path p) {
    if (!IsRootedPath(p)) return kErrArgument;
    const int32 kind = FExists(p);
    if (kind == 2) return kErrNone;
    if (kind == 1) return kErrGeneric;
    if (p->ItemCount() > 1) {
        PathRef parent = p->GetParentDirectory();
        if (const TqErr err = FNewDirHier(&parent)) return err;
    }
    const TqErr err = FNewDir(p, FGetDefPerm(0777));
    // Someone else may have made it meanwhile.
    return err == kErrDuplicatePath && FExists(p) == 2 ? kErrNone : err;
}
