// What a path is: existence, the information records, access rights, hiddenness and dates.
#define TQ_UNIT "source\\FileInfo"

#include <cstring>

#include "diagnostics/Report.h"
#include "files/FileManager.h"
#include "files/PathSupport.h"
#include "files/Shortcuts.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/LastError.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"

namespace {

using tq::files::FlushDestination;
using tq::files::IsRootedPath;
using tq::files::RootedOsName;
namespace platform = tq::platform;

constexpr int32 kUnknownCode = TQFourCC("????");
constexpr int32 kExtensionCreator = TQFourCC("PLKR");

// The status behind a rooted path's OS name; the mapped error when it cannot be read.
TqErr StatusOf(Path p, bool resolve, bool followLinks, platform::FileStatus* status) {
    std::string name;
    if (const TqErr err = RootedOsName(p, resolve, name)) return err;
    const bool ok = followLinks ? platform::FileGetStatus(name.c_str(), status)
                                : platform::FileGetLinkStatus(name.c_str(), status);
    return ok ? kErrNone : Win32ToPKFileErr();
}

int32 RightsOf(const platform::FileStatus& s) {
    if (s.folder) return s.readOnly ? 0555 : 0777;
    return s.readOnly ? 0444 : 0666;
}

void SetEmpty(PStr s) {
    if (s) s[0] = 0;
}

void FillType(Path p, uInt32 mask, FileInfoRec64* rec) {
    rec->type = rec->creator = kUnknownCode;
    if (!(mask & kInfoType)) return;
    const _FMFileType type = PathRef::NameGetExtensionType(p->ItemAt(p->ItemCount() - 1));
    if (!type) return;
    rec->type = type;
    rec->creator = kExtensionCreator;
}

// A folder's size is the number of its entries (the volume list's length above the volumes).
int64 EntryCount(const std::string& name) {
    const int64 count = platform::FolderCountEntries(name.c_str());
    return count < 0 ? 0 : count;
}

TqErr FillFromStatus(Path p, const std::string& name, const platform::FileStatus& s, uInt32 mask,
                     FileInfoRec64* rec) {
    if (s.folder) {
        rec->type = rec->creator = kUnknownCode;
        if (mask & kInfoSize) rec->size = EntryCount(name);
        rec->folder = 1;
    } else {
        FillType(p, mask, rec);
        if (mask & kInfoSize) rec->size = int64(s.size);
    }
    if (mask & kInfoPermissions) {
        int32 perm = RightsOf(s);
        SetEmpty(rec->owner);
        SetEmpty(rec->group);
        rec->permissions = uInt32(perm);
    }
    if (mask & kInfoCreationDate) rec->cdate = tq::files::DateFromFileTime(s.created);
    if (mask & kInfoModificationDate) rec->mdate = tq::files::DateFromFileTime(s.modified);
    return kErrNone;
}

int32 VolumeCount() {
    CPStrHandle names = reinterpret_cast<CPStrHandle>(DSNewHClr(sizeof(int32)));
    if (!names) return 0;
    const int32 count = FListDesktop(names, nullptr) == kErrNone ? (*names)->cnt : 0;
    DSDisposeHandle(reinterpret_cast<UHandle>(names));
    return count;
}

template <class Field>
Field Truncated(int64 value, const char* name) {
    if (value > INT32_MAX)
        TQ_REPORT(kDbgWarn, "Converting 64-bit to 32-bit, but ", name, " is too big! ", name, "=",
                  static_cast<long long>(value));
    else if (value < 0)
        TQ_REPORT(kDbgWarn, "Converting 64-bit to 32-bit, but ", name, " is negative! ", name, "=",
                  static_cast<long long>(value));
    return Field(uInt32(uInt64(value)));
}

// The fields both record widths hold alike: all but the sizes.
template <class In, class Out>
void CopyAlikeFields(const In& in, Out* out) {
    out->type = in.type;
    out->creator = in.creator;
    out->permissions = in.permissions;
    out->cdate = in.cdate;
    out->mdate = in.mdate;
    out->folder = in.folder;
    out->invisible = in.invisible;
    out->location = in.location;
    std::memcpy(out->owner, in.owner, sizeof out->owner);
    std::memcpy(out->group, in.group, sizeof out->group);
}

void To32(const FileInfoRec64& in, FileInfoRec* out) {
    CopyAlikeFields(in, out);
    out->size = Truncated<int32>(in.size, "size");
    out->rfSize = Truncated<int32>(in.rfSize, "rfSize");
}

void To64(const FileInfoRec& in, FileInfoRec64* out) {
    std::memset(out, 0, sizeof *out);
    CopyAlikeFields(in, out);
    out->size = in.size;
    out->rfSize = in.rfSize;
}

bool EndsInShortcutExtension(const std::string& item) {
    return item.size() >= 5 && tq::files::EndsInLinkExtension(item.data(), item.size());
}

TqErr ModDateOfOpenFile(File fd, uInt32* mdate, int32* readOnly) {
    platform::FileTimes times;
    if (!platform::FileGetTimes(platform::FileFromToken(fd), &times)) return Win32ToPKFileErr();
    if (mdate) *mdate = tq::files::DateFromFileTime(times.lastWrite);
    if (readOnly) *readOnly = times.readOnly;
    return kErrNone;
}

// The yes-or-no queries take a rooted path and somewhere for the answer, which starts as no.
TqErr StartQuery(const char* function, Path p, const char* answerName, int32* answer) {
    if (!IsRootedPath(p)) {
        TQ_REPORT(kDbgWarn, function, ": relative path passed in!");
        return kErrArgument;
    }
    if (!answer) {
        TQ_REPORT(kDbgWarn, function, ": NULL ", answerName, " passed in!");
        return kErrArgument;
    }
    *answer = 0;
    return kErrNone;
}

}  // namespace

int32 FExists(Path p) {
    if (!IsRootedPath(p)) return 0;
    if (p->ItemCount() == 0) return 2;
    platform::FileStatus status;
    const TqErr err = StatusOf(p, true, true, &status);
    if (err == kErrNone) return status.folder ? 2 : 1;
    // The name is there, only held open by someone else.
    return platform::GetLastError() == platform::kWinSharingViolation ? 1 : 0;
}

TqErr FGetInfoResolve(Path p, FileInfoRec64* rec, int32 resolve, uInt32 mask) {
    if (!IsRootedPath(p) || !rec) return kErrArgument;
    std::memset(rec, 0, sizeof *rec);
    if (p->ItemCount() == 0) {
        rec->type = rec->creator = kUnknownCode;
        rec->size = VolumeCount();
        rec->folder = 1;
        return kErrNone;
    }
    std::string name;
    if (const TqErr err = RootedOsName(p, resolve != 0, name)) return err;
    platform::FileStatus status;
    if (!platform::FileGetStatus(name.c_str(), &status))
        return p->ItemCount() == 1 ? kErrNotFound : Win32ToPKFileErr();
    return FillFromStatus(p, name, status, mask, rec);
}

TqErr FGetInfo64(Path p, FileInfoRec64* rec, uInt32 mask) {
    return FGetInfoResolve(p, rec, 1, mask);
}

TqErr FGetInfo(Path p, FileInfoRec* rec) {
    if (!rec) return kErrArgument;
    FileInfoRec64 rec64{};
    const TqErr err = FGetInfoResolve(p, &rec64, 1, 0xEFFFFFFFu);
    To32(rec64, rec);
    return err;
}

TqErr FSetInfo64(Path p, FileInfoRec64* rec) {
    FlushDestination(p);
    if (!IsRootedPath(p) || !rec) return kErrArgument;
    std::string name;
    if (const TqErr err = RootedOsName(p, true, name)) return err;
    if (rec->folder) return kErrNone;
    int32 perm = int32(rec->permissions);
    if (const TqErr err = FSetAccessRights(p, nullptr, nullptr, &perm)) return err;
    TQFileTime created, modified;
    SecsToWin32FileTime(rec->cdate, &created);
    SecsToWin32FileTime(rec->mdate, &modified);
    return platform::FileSetTimesByName(name.c_str(), &created, &modified) ? kErrNone : Win32ToPKFileErr();
}

TqErr FSetInfo(Path p, FileInfoRec* rec) {
    if (!rec) return kErrArgument;
    FileInfoRec64 rec64;
    To64(*rec, &rec64);
    const TqErr err = FSetInfo64(p, &rec64);
    To32(rec64, rec);
    return err;
}

TqErr FGetAccessRights(Path p, PStr owner, PStr group, int32* perm) {
    SetEmpty(owner);
    SetEmpty(group);
    if (!IsRootedPath(p)) return kErrArgument;
    if (p->ItemCount() == 0) {
        if (perm) *perm = 0;
        return kErrNone;
    }
    platform::FileStatus status;
    if (const TqErr err = StatusOf(p, true, true, &status)) return err;
    if (perm) *perm = RightsOf(status);
    return kErrNone;
}

TqErr FSetAccessRights(Path p, PStr owner, PStr group, int32* perm) {
    FlushDestination(p);
    if (!owner && !group && !perm) return kErrNone;
    if (!IsRootedPath(p)) return kErrArgument;
    std::string name;
    if (const TqErr err = RootedOsName(p, true, name)) return err;
    if (perm)
        return platform::FileSetPermissions(name.c_str(), uInt32(*perm) & 0777) ? kErrNone
                                                                                : Win32ToPKFileErr();
    return FExists(p) ? kErrNone : kErrNotFound;
}

int32 FGetDefPerm(int32 perm) {
    const tq::files::FileManagerLock lock;
    return perm & ~int32(platform::ProcessUmask());
}

LStrHandle FGetDefGroup(LStrHandle h) {
    UHandle handle = reinterpret_cast<UHandle>(h);
    if (DSSetHandleSizeOrNewHandle(&handle, sizeof(int32)) != kErrNone) return nullptr;
    reinterpret_cast<LStrHandle>(handle)[0]->cnt = 0;
    return reinterpret_cast<LStrHandle>(handle);
}

TqErr FMGetModDate(Path p, File fd, uInt32* mdate, int32* readOnly) {
    if (mdate) *mdate = 0;
    if (readOnly) *readOnly = 0;
    if (fd) return ModDateOfOpenFile(fd, mdate, readOnly);
    if (!IsRootedPath(p)) return kErrArgument;
    if (p->ItemCount() < 2) return kErrNone;
    platform::FileStatus status;
    if (const TqErr err = StatusOf(p, true, true, &status)) return err;
    if (mdate) *mdate = tq::files::DateFromFileTime(status.modified);
    if (readOnly) *readOnly = status.readOnly;
    return kErrNone;
}

TqErr FIsHiddenFile(Path p, int32* isHidden) {
    if (const TqErr err = StartQuery("FIsHiddenFile", p, "isHidden", isHidden)) return err;
    platform::FileStatus status;
    if (const TqErr err = StatusOf(p, false, false, &status)) return err;
    *isHidden = status.hidden;
    return kErrNone;
}

TqErr FIsShortcut(Path p, int32* isShortcut) {
    if (const TqErr err = StartQuery("FIsShortcut", p, "isShortcut", isShortcut)) return err;
    platform::FileStatus status;
    if (p->ItemCount() < 2 || StatusOf(p, false, false, &status) != kErrNone) return kErrNone;
    *isShortcut = !status.folder && EndsInShortcutExtension(p->ItemAt(p->ItemCount() - 1));
    return kErrNone;
}

TqErr FMakeFileNotReadOnly(Path p) {
    TQ_REPORT(kDbgWarn, "FMakeFileNotReadOnly is DEPRECATED and may be removed as early as Pelkor 2011");
    if (!IsRootedPath(p)) return kErrArgument;
    std::string name;
    if (const TqErr err = RootedOsName(p, true, name)) return err;
    platform::FileStatus status;
    if (!platform::FileGetStatus(name.c_str(), &status)) return Win32ToPKFileErr();
    if (status.folder || !status.readOnly) return kErrNone;
    return platform::FileSetPermissions(name.c_str(), status.permissions | 0200) ? kErrNone
                                                                                 : Win32ToPKFileErr();
}

TqErr FEject(Path) {
    return kErrNone;
}

TqErr FIsSpecialFile(Path, int32*) {
    return kErrNone;
}
