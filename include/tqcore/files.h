// tqcore/files.h - the file manager: open files, the file system by path, names, and the information records.
// Every function is reentrant; callers serialise the use of one open File themselves.
#pragma once

#include <stdarg.h>

#include "tqcore/strings.h"
#include "tqcore/types.h"

#ifdef __cplusplus
class PathRef;
#else
typedef struct PathRef PathRef;
#endif
typedef PathRef* Path;

// A file type code of the extension lists (0: none).
typedef int32 _FMFileType;
typedef int32 _FMFileCreator;

// Open modes. The unbuffered ones bypass the system cache where the system allows it.
enum TQ_ENUM_TYPE(int32) {
    kOpenReadWrite = 0,
    kOpenRead = 1,
    kOpenWrite = 2,
    kOpenWriteTruncate = 3,
    kOpenReadWriteUnbuffered = 4,
    kOpenReadUnbuffered = 5,
    kOpenWriteUnbuffered = 6,
    kOpenWriteTruncateUnbuffered = 7,
};

// Deny modes: what other opens of the same file may do while this one is open.
enum TQ_ENUM_TYPE(int32) {
    kDenyReadWrite = 0,
    kDenyWrite = 1,
    kDenyNone = 2,
};

// Seek modes of FMSeek, FMSeek64 and FLockOrUnlockRange.
enum TQ_ENUM_TYPE(int32) {
    kSeekFromStart = 1,
    kSeekFromEnd = 2,
    kSeekFromCurrent = 3,
};

// FileNameChk's result bits; 0 means a legal name.
enum TQ_ENUM_TYPE(int32) {
    kNameEmpty = 0x02,
    kNameForbiddenChar = 0x04,
    kNameReservedDevice = 0x08,
    kNameEndsInDot = 0x20,
};

// FGetInfo64's mask bits: which fields to fill.
enum TQ_ENUM_TYPE(uInt32) {
    kInfoType = 0x01,
    kInfoPermissions = 0x04,
    kInfoSize = 0x08,
    kInfoCreationDate = 0x20,
    kInfoModificationDate = 0x40,
};

// Two signed coordinates, always 0 on this platform.
typedef struct FMPoint {
    int16 v;
    int16 h;
} FMPoint;

// The information record of a file or folder. Dates are whole seconds since 1904-01-01 00:00 UTC.
typedef struct FileInfoRec64 {
    _FMFileType type;
    _FMFileCreator creator;
    uInt32 permissions;
    uInt32 reserved1;
    int64 size;    // a file's length; for a folder the number of entries it holds
    int64 rfSize;  // always 0
    uInt32 cdate;
    uInt32 mdate;
    int32 folder;
    int32 invisible;
    FMPoint location;
    Str255 owner;
    Str255 group;
    uInt32 reserved2;
} FileInfoRec64;

// The 32-bit form of the record.
typedef struct FileInfoRec {
    _FMFileType type;
    _FMFileCreator creator;
    uInt32 permissions;
    int32 size;
    int32 rfSize;
    uInt32 cdate;
    uInt32 mdate;
    int32 folder;
    int32 invisible;
    FMPoint location;
    Str255 owner;
    Str255 group;
} FileInfoRec;

// A volume's bytes, each clamped to 4294967295.
typedef struct VolInfoRec {
    uInt32 totalBytes;
    uInt32 usedBytes;
    uInt32 freeBytes;
} VolInfoRec;

// An entry of FListDesktop's information handle.
typedef struct VolKindRec {
    uInt32 flags;
    char kind[4];
} VolKindRec;

// A FILETIME by value (also in tqcore/clocks.h).
typedef struct TQFileTime TQFileTime;

#ifdef __cplusplus
static_assert(sizeof(FileInfoRec64) == 568, "FileInfoRec64 layout");
static_assert(offsetof(FileInfoRec64, size) == 16 && offsetof(FileInfoRec64, rfSize) == 24,
              "FileInfoRec64 sizes");
static_assert(offsetof(FileInfoRec64, cdate) == 32 && offsetof(FileInfoRec64, folder) == 40,
              "FileInfoRec64 dates");
static_assert(offsetof(FileInfoRec64, location) == 48 && offsetof(FileInfoRec64, owner) == 52,
              "FileInfoRec64 tail");
static_assert(offsetof(FileInfoRec64, group) == 308 && offsetof(FileInfoRec64, reserved2) == 564,
              "FileInfoRec64 end");
static_assert(sizeof(FileInfoRec) == 552, "FileInfoRec layout");
static_assert(offsetof(FileInfoRec, size) == 12 && offsetof(FileInfoRec, cdate) == 20, "FileInfoRec fields");
static_assert(offsetof(FileInfoRec, location) == 36 && offsetof(FileInfoRec, owner) == 40,
              "FileInfoRec tail");
static_assert(offsetof(FileInfoRec, group) == 296, "FileInfoRec end");
static_assert(sizeof(VolInfoRec) == 12 && sizeof(VolKindRec) == 8, "volume records");
#endif

TQ_EXTERN_C_BEGIN

// Open files. A File is never 0 while open; functions given 0 return 1.
TQ_API TqErr FMOpen(File* fd, Path p, int32 openMode, int32 denyMode);
TQ_API TqErr FGenericCreate(File* fd, Path p, int32 permissions, int32 openMode, int32 denyMode, PStr group,
                            int32 always);
TQ_API TqErr FCreate(File* fd, Path p, int32 permissions, int32 openMode, int32 denyMode, PStr group);
TQ_API TqErr FCreateAlways(File* fd, Path p, int32 permissions, int32 openMode, int32 denyMode, PStr group);
TQ_API TqErr FMClose(File fd);
TQ_API TqErr FMRead(File fd, int32 count, int32* actual, UPtr buf);
TQ_API TqErr FMWrite(File fd, int32 count, int32* actual, UPtr buf);
TQ_API TqErr FMWriteEOL(File fd);
TQ_API TqErr FMSeek(File fd, int32 offset, int32 mode);
TQ_API TqErr FMSeek64(File fd, int64 offset, int32 mode);
TQ_API TqErr FMTell(File fd, int32* pos);
TQ_API TqErr FMTell64(File fd, int64* pos);
TQ_API TqErr FGetEOF(File fd, int32* size);
TQ_API TqErr FGetEOF64(File fd, int64* size);
TQ_API TqErr FSetEOF(File fd, int32 size);
TQ_API TqErr FSetEOF64(File fd, int64 size);
TQ_API TqErr FFlush(File fd);
TQ_API TqErr FLockOrUnlockRange(File fd, int32 mode, int32 offset, int32 count, int32 lock);
// The byte count written, or -1; a null fd only formats and counts.
TQ_API int32 FPrintf(File fd, ConstCStr fmt, ...);
TQ_API TqErr FPrintfWErr(File fd, ConstCStr fmt, ...);
TQ_API TqErr FPrintfWErrv(File fd, ConstCStr fmt, va_list args);

// Names. bad receives the forbidden characters found, each once (at most 9 and a NUL); reserved is not used.
TQ_API int32 FileNameChk(ConstPStr name, int32 reserved, int32 skip, CStr bad);
TQ_API _FMFileType HasRezExt(Path p);
TQ_API _FMFileType PStrHasRezExt(ConstPStr name);
TQ_API int32 PStrAppendRezExt(PStr name, _FMFileType t);
TQ_API int32 PStrStripRezExt(PStr name, _FMFileType t);
TQ_API void LSort(CPStrHandle names, UHandle info);
TQ_API int32 FFindMatchCh(UPtr s, int32* pos, int32 len);
TQ_API int32 FMFindWildCardMatchCh(UPtr s, int64* pos, int64 len, char extra);

// The operating-system name of a path: UTF-16, at most 260 code units with the NUL, in buf.
#ifdef __cplusplus
TQ_API TqErr MakeDOSPathName(Path p, TQWChar* buf, int32 resolveShortcuts);
#endif
// Seconds since 1904 to a FILETIME.
TQ_API void SecsToWin32FileTime(uInt32 secs, TQFileTime* ft);

TQ_EXTERN_C_END

#ifdef __cplusplus
// Where a diagnostic file goes: a NUL-terminated narrow path of at most 516 bytes.
class TQ_API FileLoc {
  public:
    enum LocCode : int32 { kTempDir = 0, kAsGiven = 1, kTempDirLog = 2, kAsGivenLog = 3, kTempDirDump = 4 };
    static constexpr int32 kMaxPath = 516;

    virtual ~FileLoc();
    virtual FileLoc* Clone() const = 0;
    virtual const char* GetPath() const = 0;
};

class TQ_API Win32FileLoc : public FileLoc {
  public:
    // Throws PKExcept 1 for a null name, 7 when the path passes kMaxPath bytes.
    Win32FileLoc(LocCode code, const char* inFilename, bool addTxt);
    Win32FileLoc(const Win32FileLoc& other);
    Win32FileLoc& operator=(const Win32FileLoc& other);
    ~Win32FileLoc() override;
    FileLoc* Clone() const override;
    const char* GetPath() const override;

  private:
    char path_[kMaxPath + 1];
};

// A new Win32FileLoc, or null where its constructor would throw.
TQ_API FileLoc* CreateFileLoc(FileLoc::LocCode code, const char* inFilename, bool addTxt);
#endif

// ---- Paths and the file system. Paths must be absolute (or UNC), else 1.
TQ_EXTERN_C_BEGIN
// 0 absent (also for a path that is not absolute or has no OS name), 1 file, 2 folder; the root above the
// volumes is 2.
TQ_API int32 FExists(Path p);
// The record is cleared first; mask selects the fields (kInfo...).
TQ_API TqErr FGetInfo(Path p, FileInfoRec* info);
TQ_API TqErr FGetInfo64(Path p, FileInfoRec64* info, uInt32 mask);
TQ_API TqErr FGetInfoResolve(Path p, FileInfoRec64* info, int32 resolve, uInt32 mask);
// Permissions, creation and modification dates; nothing for a folder.
TQ_API TqErr FSetInfo(Path p, FileInfoRec* info);
TQ_API TqErr FSetInfo64(Path p, FileInfoRec64* info);
// owner and group (when given) come back empty; perm is 0444, 0666, 0555 or 0777.
TQ_API TqErr FGetAccessRights(Path p, PStr owner, PStr group, int32* perm);
TQ_API TqErr FSetAccessRights(Path p, PStr owner, PStr group, int32* perm);
// perm without the bits of the process's file-creation mask.
TQ_API int32 FGetDefPerm(int32 perm);
// h (a new handle when null) set to the empty string; null when memory runs out.
TQ_API LStrHandle FGetDefGroup(LStrHandle h);
// Copies and moves fail with 10 when dst exists; src must be below a volume.
TQ_API TqErr FCopy(Path src, Path dst);
TQ_API TqErr FCopyResolve(Path src, Path dst, int32 resolveSrc);
TQ_API TqErr FMove(Path src, Path dst);
TQ_API TqErr FMoveResolve(Path src, Path dst, int32 resolveSrc);
// src's data into the existing file dst (cut to the data's length), then src removed.
TQ_API TqErr FMoveInto(Path src, Path dst);
// Deletes a file or an empty folder; the current directory leaves a folder being removed.
TQ_API TqErr FRemove(Path p);
TQ_API TqErr FRemoveToRecycle(Path p, int32 confirm);
// The last item must be a legal name; perm is not used.
TQ_API TqErr FNewDir(Path p, int32 perm);
// Makes the missing folders down to p; 0 when p is a folder, 42 when it is a file.
TQ_API TqErr FNewDirHier(Path p);
// The volume list: names one PStr each, info (when given) one VolKindRec each.
TQ_API TqErr FListDesktop(CPStrHandle names, UHandle info);
// p becomes its volume's path.
TQ_API TqErr FGetVolInfo(Path p, VolInfoRec* info);
TQ_API TqErr FMGetVolInfo64(Path p, uInt64* freeBytes, uInt64* totalBytes, uInt32* bytesPerSector);
TQ_API TqErr FMGetVolInfo(Path p, double* totalBytes, double* freeBytes);
// *vol: a new Path when null.
TQ_API TqErr FMGetVolPath(Path p, Path* vol);
TQ_API TqErr FMGetModDate(Path p, File fd, uInt32* mdate, int32* readOnly);
TQ_API TqErr FIsHiddenFile(Path p, int32* isHidden);
TQ_API TqErr FIsShortcut(Path p, int32* isShortcut);
// Deprecated.
TQ_API TqErr FMakeFileNotReadOnly(Path p);
TQ_API TqErr Win32GetLongFileName(Path p);
// *p: a new Path when null.
TQ_API TqErr GetWorkingDir(Path* p);
TQ_API TqErr FGetStdTmpDirPath(Path p);
TQ_API TqErr FMGPath(Path p);
TQ_API TqErr FResDir(Path p);
// Not supported: 7 when out is given, else 1.
TQ_API TqErr FGetOSFolderPath(int32 folder, Path out);
TQ_API TqErr FEject(Path p);
TQ_API TqErr FIsSpecialFile(Path p, int32* isSpecial);
// out (or a new Path when null) with every link on the way resolved; null on failure.
TQ_API Path FResolvePath(Path out, Path in);
TQ_API TqErr FGetCanonicalPath(Path p, Path* result);
// Shortcut files on OS names: name is an OS name in the ANSI code page in a buffer of 260 bytes, rewritten in
// place. Names split at the OS's own separator ('\\' on Windows, '/' on POSIX).
// 1 with name replaced by the target when name (or name + ".lnk") is a shortcut; else 0 and name as it was.
// existsHint: 0 asks the file system whether name exists, 1 says it does, 2 that it does not.
TQ_API int32 Win32ResolveShortCutExists(CStr name, int32 existsHint);
TQ_API int32 Win32ResolveShortCut(CStr name);
// Resolves every shortcut on name, prefix by prefix; 1 when anything was resolved.
TQ_API int32 Win32ResolveAllShortCuts(CStr name);
TQ_EXTERN_C_END

// ---- Read-only views of open files and the host's file cache.
// The host's cache, asked before a resource file is opened read-only: true when it holds path mapped already,
// with its open file, the view, the view's base address and its size filled in. The host keeps all of them.
typedef Bool32 (*IsFileAlreadyInCacheProc)(Path path, File* fd, UPtr* view, UPtr* base, int32* size);
TQ_EXTERN_C_BEGIN
// Maps all of fd read-only. *size: the file's length (low 32 bits). *view (null on entry) stays null for an
// empty file or a failure, else is the view, and *base the same address. The view outlives fd until
// UnmapFileHelper.
TQ_API void CreateMemMappedFile(File fd, UPtr* view, int32* size, UPtr* base);
// False for an address that is not a view CreateMemMappedFile gave, or one already unmapped.
TQ_API Bool32 UnmapFileHelper(UPtr view);
// Null removes the callback.
TQ_API void Set_IsFileAlreadyInCache(IsFileAlreadyInCacheProc callback);
TQ_EXTERN_C_END
