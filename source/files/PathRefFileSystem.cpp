// PathRef's questions to the file system and its changes to it, through the file manager.
#define TQ_UNIT "source\\PathRefFileSystem"

#include <cstdlib>
#include <memory>
#include <string>

#include "diagnostics/Report.h"
#include "files/PathCacheReads.h"
#include "tqcore/core.h"
#include "tqcore/files.h"
#include "tqcore/paths.h"

namespace {

// The plain functions take a Path; they never keep it.
Path Self(const PathRef& p) {
    return const_cast<Path>(&p);
}

void Throw(TqErr err, const char* message) {
    if (err) throw PKExcept(err, message, TQ_UNIT, __LINE__);
}

void RequireNotKnownMissing(const PathRef& p) {
    if (tq::files::KnownMissing(p))
        throw PKExcept(kErrNotFound, "PathRef::Size: Does not exist", TQ_UNIT, __LINE__);
}

// The record of the path, read without resolving shortcuts.
FileInfoRec64 InfoForCount(const PathRef& p) {
    FileInfoRec64 info{};
    Throw(FGetInfoResolve(Self(p), &info, 0, kInfoType | kInfoSize),
          "PathRef::Size: Unable to get information about path");
    return info;
}

}  // namespace

bool PathRef::IsAShortcut() const {
    if (tq::files::KnownMissing(*this)) return false;
    int32 shortcut = 0;
    Throw(FIsShortcut(Self(*this), &shortcut), "PathRef::IsAShortcut: Unable to query Path for shortcut");
    return shortcut != 0;
}

uInt32 PathRef::ModificationDate() const {
    uInt32 date = 0;
    Throw(FMGetModDate(Self(*this), 0, &date, nullptr), "Unable to get modification date");
    return date;
}

uInt64 PathRef::Size(SizeType t) const {
    RequireNotKnownMissing(*this);
    if (t != kLogicalSize)
        throw PKExcept(kErrNotSupported, "PathRef::Size: Only logical size is supported at the moment",
                       TQ_UNIT, __LINE__);
    const FileInfoRec64 info = InfoForCount(*this);
    if (info.folder)
        throw PKExcept(kErrArgument, "PathRef::Size: Can't get the size of a folder, get DirectoryItemCount",
                       TQ_UNIT, __LINE__);
    return uInt64(info.size);
}

uInt64 PathRef::DirectoryItemCount() const {
    RequireNotKnownMissing(*this);
    const FileInfoRec64 info = InfoForCount(*this);
    if (!info.folder)
        throw PKExcept(kErrArgument, "PathRef::Size: Can't get the item count of a file, get Size", TQ_UNIT,
                       __LINE__);
    return uInt64(info.size);
}

PathRef PathRef::Volume() const {
    Path volume = nullptr;
    Throw(FMGetVolPath(Self(*this), &volume), "PathRef::Volume: Unable to get volume path");
    const std::unique_ptr<PathRef> owned(volume);
    if (!volume)
        throw PKExcept(kErrArgument, "PathRef::Volume: Unable to convert to a Path", TQ_UNIT, __LINE__);
    return *volume;
}

double PathRef::VolumeSize() const {
    double total = 0, available = 0;
    Throw(FMGetVolInfo(Self(*this), &total, &available), "PathRef::Volume: Unable to get volume size");
    return total;
}

double PathRef::VolumeFree() const {
    double total = 0, available = 0;
    Throw(FMGetVolInfo(Self(*this), &total, &available), "PathRef::Volume: Unable to get volume free");
    return available;
}

TqErr PathRef::DisconnectVolume() const {
    FEject(Self(*this));
    return kErrNone;
}

TqErr PathRef::CopyFileTo(const PathRef& destination, int32 resolve) const {
    return FCopyResolve(Self(*this), Self(destination), resolve);
}

TqErr PathRef::MoveFileTo(const PathRef& destination, int32 resolve) const {
    return FMoveResolve(Self(*this), Self(destination), resolve);
}

TqErr PathRef::RemoveFile(int32 resolve) {
    TqErr err = kErrNone;
    if (resolve) {
        Path target = FResolvePath(nullptr, this);
        const std::unique_ptr<PathRef> owned(target);
        if (!target) return kErrNotFound;
        err = FRemove(target);
        if (err == kErrNone && !target->Equals(*this, kCompareExact)) err = FRemove(this);
        target->FlushCache();
    } else {
        err = FRemove(this);
    }
    FlushCache();
    return err;
}

PathRef PathRef::ResolveShortcuts(int32 mode) const {
    const bool parentOnly = mode == 1 && ItemCount() > 0;
    const PathRef asked = parentOnly ? GetParentDirectory() : *this;
    Path resolved = FResolvePath(nullptr, Self(asked));
    const std::unique_ptr<PathRef> owned(resolved);
    if (!resolved)
        throw PKExcept(kErrArgument, "PathRef::ResolveShortcuts: Unable to resolve path", TQ_UNIT, __LINE__);
    PathRef result(*resolved);
    if (parentOnly) result.Append(Name());
    return result;
}

PathRef PathRef::GetLongNames() const {
    PathRef copy(*this);
    Throw(Win32GetLongFileName(&copy), "PathRef::GetLongNames");
    return copy;
}

TqErr PathRef::MakeWriteable(int32 depth) const {
    if (tq::files::KnownMissing(*this)) return kErrNotFound;
    if (depth == 1) return kErrNotSupported;
    if (depth != 0) {
        TQ_REPORT(kDbgWarn, "PathRef::MakeWriteable: New depth type, need to handle it (", depth, ")");
        return kErrNone;
    }
    FileInfoRec64 info{};
    const TqErr err = FGetInfo64(Self(*this), &info, 0xEFFFFFFFu);
    if (err) return err;
    constexpr uInt32 kWriteBits = 0222;
    if ((info.permissions & kWriteBits) == kWriteBits) return kErrNone;
    info.permissions |= kWriteBits;
    return FSetInfo64(Self(*this), &info);
}

void PathRef::AppendTemporaryName(const std::string& extension, const std::string& prefix,
                                  const std::string& suffix) {
    for (;;) {
        std::string name = prefix + std::to_string(std::rand()) + suffix;
        if (!extension.empty()) name += "." + extension;
        PathRef candidate(*this);
        candidate.Append(name);
        if (FExists(&candidate) == 0) {
            *this = candidate;
            return;
        }
    }
}

TqErr FVolName(Path p, Path out) {
    if (!p || !out) return kErrArgument;
    try {
        *out = p->Volume();
        return kErrNone;
    } catch (...) {
        return GetExceptionInCatch_FileAndLine(TQ_UNIT, __LINE__).ErrorCode();
    }
}
