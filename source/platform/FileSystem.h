// Names in the file system: what a name is, folder contents, copies, moves, deletions, new folders,
// permissions, volumes and the process's own places. Paths are UTF-8 text in the OS's own form; failures
// return false (or an empty result) and leave a Win32 error number in the last error (platform/LastError.h).
// Any thread; the current directory and the umask are process-wide.
#pragma once

#include <string>
#include <vector>

#include "tqcore/clocks.h"
#include "tqcore/types.h"

namespace tq::platform {

struct FileStatus {
    bool folder = false;
    // POSIX: the owner may not write.
    bool readOnly = false;
    // POSIX has no attribute: a name beginning with "." is hidden, as the desktop's file managers treat it.
    bool hidden = false;
    // Unix permission bits; Windows: 0444 or 0666, and the execute bits for a folder.
    uInt32 permissions = 0;
    uInt64 size = 0;
    // POSIX: the birth time where the file system keeps one, else the earlier of the last status change and
    // the last write.
    TQFileTime created{};
    TQFileTime modified{};
};

// Follows symbolic links.
bool FileGetStatus(const char* path, FileStatus* out);
// A symbolic link's own status (what deleting the name deletes); Windows: as FileGetStatus.
bool FileGetLinkStatus(const char* path, FileStatus* out);

struct FolderEntry {
    std::string name;
    FileStatus status;
};
// The folder's entries in the OS's order, never "." and ".."; with status, each entry's status as
// FileGetStatus gives it (an entry that vanishes meanwhile is left out).
bool FolderRead(const char* path, std::vector<FolderEntry>& entries, bool withStatus);
// The number of entries, "." and ".." not counted; -1 on failure.
int64 FolderCountEntries(const char* path);

// A copy of a file's data, permissions and last-write time; fails with kWinFileExists when to exists, and
// leaves no part-made copy behind.
bool FileCopy(const char* from, const char* to);
// Renames a file or folder; fails with kWinAlreadyExists when to exists. A file moves across volumes too.
bool FileMove(const char* from, const char* to);
bool FileDelete(const char* path);
// Only an empty folder.
bool FolderRemove(const char* path);
bool FolderMake(const char* path);
// Unix permission bits; Windows keeps only the owner's write bit, as its read-only attribute.
bool FileSetPermissions(const char* path, uInt32 permissions);
// Null times are left alone. POSIX keeps no settable creation time and ignores created.
bool FileSetTimesByName(const char* path, const TQFileTime* created, const TQFileTime* modified);
// The process's file-creation mask, read and put back; callers serialise. Windows has none: 0.
uInt32 ProcessUmask();

// Empty on failure.
std::string CurrentDirectoryPath();
bool SetCurrentDirectoryPath(const char* path);

enum class VolumeKind : uInt8 { kFixed, kRemovable, kNetwork };
struct VolumeEntry {
    // Windows: the drive letter. POSIX: a folder directly below "/".
    std::string name;
    VolumeKind kind = VolumeKind::kFixed;
};
// In name order.
std::vector<VolumeEntry> ListVolumes();

struct DiskSpace {
    uInt64 totalBytes = 0;
    uInt64 freeBytes = 0;
    // What this process may use, quotas and reserves counted.
    uInt64 availableBytes = 0;
    uInt32 bytesPerSector = 0;
};
// The space of the volume path lies on.
bool GetDiskSpace(const char* path, DiskSpace* out);

// The folder for temporary files, without a trailing separator; empty on failure. POSIX: TMPDIR, else /tmp.
std::string TemporaryDirectory();
// The path with each component spelt as the file system stores it (Windows' long names); POSIX names have
// one spelling and come back as they are when the path exists.
std::string LongPathName(const char* path);
// The absolute path with every symbolic link and "." or ".." resolved; empty on failure.
std::string ResolvedPath(const char* path);

}  // namespace tq::platform
