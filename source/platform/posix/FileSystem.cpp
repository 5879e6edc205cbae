// POSIX only: names in the file system, every call through the system-call table.
#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/LastError.h"
#include "platform/posix/ErrnoMap.h"
#include "platform/posix/FileTimeConvert.h"
#include "platform/posix/Syscalls.h"

namespace tq::platform {

namespace {
bool Fail(int err) {
    SetLastErrorFromErrno(err);
    return false;
}

template <class Call>
auto Restarting(Call call) {
    auto r = call();
    while (r < 0 && errno == EINTR) r = call();
    return r;
}

TQFileTime FileTimeOf(const struct statx_timestamp& t) {
    return FileTimeFromTimespec(timespec{time_t(t.tv_sec), long(t.tv_nsec)});
}

bool Earlier(const struct statx_timestamp& a, const struct statx_timestamp& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// The last component, trailing slashes ignored.
std::string_view LastComponent(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

void FillStatus(const struct statx& sx, std::string_view name, FileStatus* out) {
    out->folder = S_ISDIR(sx.stx_mode);
    out->readOnly = !(sx.stx_mode & S_IWUSR);
    out->permissions = sx.stx_mode & 07777;
    out->hidden = !name.empty() && name[0] == '.' && name != "." && name != "..";
    out->size = out->folder ? 0 : sx.stx_size;
    out->modified = FileTimeOf(sx.stx_mtime);
    const bool hasBirth = (sx.stx_mask & STATX_BTIME) != 0;
    const struct statx_timestamp& created = hasBirth                              ? sx.stx_btime
                                            : Earlier(sx.stx_ctime, sx.stx_mtime) ? sx.stx_ctime
                                                                                  : sx.stx_mtime;
    out->created = FileTimeOf(created);
}

constexpr unsigned kStatusMask =
    STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME | STATX_CTIME | STATX_BTIME;

// Status relative to a folder descriptor (AT_FDCWD for the current directory).
bool StatusAt(int folder, const char* name, std::string_view shownName, FileStatus* out, int flags = 0) {
    struct statx sx {};
    if (sys::statx(folder, name, AT_STATX_SYNC_AS_STAT | flags, kStatusMask, &sx) != 0) return Fail(errno);
    FillStatus(sx, shownName, out);
    return true;
}

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// Calls visit(entry) for each entry but "." and ".."; false when the folder cannot be read to its end.
template <class Visit>
bool EachEntry(const char* path, Visit visit) {
    DIR* folder = sys::opendir(path);
    if (!folder) return Fail(errno);
    for (;;) {
        errno = 0;
        const struct dirent* entry = sys::readdir(folder);
        if (!entry) break;
        if (!IsDotOrDotDot(entry->d_name)) visit(dirfd(folder), entry->d_name);
    }
    const int err = errno;
    sys::closedir(folder);
    return err == 0 || Fail(err);
}

// An entry's status; a dangling link reports itself, and an entry gone meanwhile reports false.
bool EntryStatus(int folder, const char* name, FileStatus* out) {
    if (StatusAt(folder, name, name, out)) return true;
    if (errno != ENOENT) return false;
    struct statx sx {};
    if (sys::statx(folder, name, AT_SYMLINK_NOFOLLOW, kStatusMask, &sx) != 0) return false;
    FillStatus(sx, name, out);
    return true;
}

// Moving data from one descriptor to the other at their positions, in the cheapest way the files allow.
enum class CopyWay : uInt8 { kRange, kSendfile, kReadWrite };

ssize_t CopyChunk(CopyWay way, int in, int out) {
    constexpr size_t kChunk = size_t(1) << 30;
    switch (way) {
        case CopyWay::kRange:
            return sys::copy_file_range(in, nullptr, out, nullptr, kChunk, 0);
        case CopyWay::kSendfile:
            return sys::sendfile(out, in, nullptr, kChunk);
        case CopyWay::kReadWrite:
            break;
    }
    char buffer[65536];
    const ssize_t n = Restarting([&] { return sys::read(in, buffer, sizeof buffer); });
    for (ssize_t written = 0; written < n;) {
        const ssize_t w = Restarting([&] { return sys::write(out, buffer + written, size_t(n - written)); });
        if (w < 0) return -1;
        // A write that moves nothing would loop forever: the disk is full.
        if (w == 0) {
            errno = ENOSPC;
            return -1;
        }
        written += w;
    }
    return n;
}

// The kernel's shortcuts refuse some pairs of files before moving a byte: the next way is tried then.
bool WayRefused(int err) {
    return err == EXDEV || err == ENOSYS || err == EINVAL || err == EOPNOTSUPP || err == EBADF;
}

bool CopyData(int in, int out, bool sizeKnown) {
    // Files that report no size (/proc) only give their data to reads.
    CopyWay way = sizeKnown ? CopyWay::kRange : CopyWay::kReadWrite;
    bool moved = false;
    for (;;) {
        const ssize_t n = CopyChunk(way, in, out);
        if (n == 0) return true;
        if (n > 0) {
            moved = true;
            continue;
        }
        if (errno == EINTR) continue;
        if (moved || way == CopyWay::kReadWrite || !WayRefused(errno)) return false;
        way = CopyWay(uInt8(way) + 1);
    }
}

bool CopyAttributes(int out, const struct stat& from) {
    if (sys::fchmod(out, from.st_mode & 07777) != 0) return false;
    const struct timespec times[2] = {{0, UTIME_OMIT}, from.st_mtim};
    return sys::futimens(out, times) == 0;
}

// Copies into the new file out and closes it; false (with errno set) when anything failed.
bool FillCopy(int in, int out, const struct stat& from) {
    bool ok = CopyData(in, out, from.st_size > 0) && CopyAttributes(out, from);
    int err = errno;
    if (sys::close(out) != 0 && ok) {
        ok = false;
        err = errno;
    }
    errno = err;
    return ok;
}

// A copy of a file, the target made only when the copy is whole; errno says why not.
bool CopyFileNoReplace(const char* from, const char* to) {
    const int in = Restarting([&] { return sys::open(from, O_RDONLY | O_CLOEXEC, 0); });
    if (in < 0) return false;
    struct stat st;
    if (sys::fstat(in, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
        sys::close(in);
        errno = err;
        return false;
    }
    const int out = Restarting([&] { return sys::open(to, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600); });
    if (out < 0) {
        const int err = errno;
        sys::close(in);
        errno = err;
        return false;
    }
    const bool ok = FillCopy(in, out, st);
    const int err = errno;
    sys::close(in);
    if (!ok) sys::unlink(to);
    errno = err;
    return ok;
}

bool Exists(const char* path) {
    struct stat st;
    return sys::lstat(path, &st) == 0;
}

// Where the file system cannot rename without replacing: a link then an unlink for files, a check then a
// rename for folders (which cannot be linked).
bool MoveWithoutNoReplace(const char* from, const char* to) {
    if (sys::link(from, to) == 0) {
        if (sys::unlink(from) == 0) return true;
        const int err = errno;
        sys::unlink(to);
        errno = err;
        return false;
    }
    if (errno == EEXIST || (errno != EPERM && errno != EOPNOTSUPP)) return false;
    if (Exists(from) && Exists(to)) {
        errno = EEXIST;
        return false;
    }
    return sys::rename(from, to) == 0;
}

// A file moved to another volume: copied, then the original removed (the copy too when that fails).
bool MoveAcrossVolumes(const char* from, const char* to) {
    struct stat st;
    if (sys::lstat(from, &st) != 0) return false;
    if (S_ISDIR(st.st_mode)) {
        errno = EXDEV;
        return false;
    }
    if (!CopyFileNoReplace(from, to)) return false;
    if (sys::unlink(from) == 0) return true;
    const int err = errno;
    sys::unlink(to);
    errno = err;
    return false;
}
}  // namespace

bool FileGetStatus(const char* path, FileStatus* out) {
    *out = {};
    return StatusAt(AT_FDCWD, path, LastComponent(path), out);
}

bool FileGetLinkStatus(const char* path, FileStatus* out) {
    *out = {};
    return StatusAt(AT_FDCWD, path, LastComponent(path), out, AT_SYMLINK_NOFOLLOW);
}

bool FolderRead(const char* path, std::vector<FolderEntry>& entries, bool withStatus) {
    entries.clear();
    return EachEntry(path, [&](int folder, const char* name) {
        FolderEntry entry{name, {}};
        if (withStatus && !EntryStatus(folder, name, &entry.status)) return;
        entries.push_back(std::move(entry));
    });
}

int64 FolderCountEntries(const char* path) {
    int64 count = 0;
    return EachEntry(path, [&](int, const char*) { ++count; }) ? count : -1;
}

bool FileCopy(const char* from, const char* to) {
    if (CopyFileNoReplace(from, to)) return true;
    // Windows says "file exists" where a file is in the way of a new one.
    if (errno == EEXIST) {
        SetLastError(kWinFileExists);
        return false;
    }
    return Fail(errno == EISDIR ? EACCES : errno);
}

bool FileMove(const char* from, const char* to) {
    if (sys::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return true;
    bool ok = false;
    if (errno == EINVAL || errno == ENOSYS)
        ok = MoveWithoutNoReplace(from, to);
    else if (errno == EXDEV)
        ok = MoveAcrossVolumes(from, to);
    return ok || Fail(errno);
}

bool FileDelete(const char* path) {
    return sys::unlink(path) == 0 || Fail(errno);
}

bool FolderRemove(const char* path) {
    return sys::rmdir(path) == 0 || Fail(errno);
}

bool FolderMake(const char* path) {
    return sys::mkdir(path, 0777) == 0 || Fail(errno);
}

bool FileSetPermissions(const char* path, uInt32 permissions) {
    return sys::chmod(path, mode_t(permissions & 07777)) == 0 || Fail(errno);
}

bool FileSetTimesByName(const char* path, const TQFileTime*, const TQFileTime* modified) {
    const struct timespec times[2] = {{0, UTIME_OMIT},
                                      modified ? TimespecFromFileTime(*modified) : timespec{0, UTIME_OMIT}};
    return sys::utimensat(AT_FDCWD, path, times, 0) == 0 || Fail(errno);
}

uInt32 ProcessUmask() {
    const mode_t mask = sys::umask(0);
    sys::umask(mask);
    return uInt32(mask);
}

std::string CurrentDirectoryPath() {
    std::string buffer(256, '\0');
    for (;;) {
        if (sys::getcwd(buffer.data(), buffer.size())) {
            buffer.resize(std::strlen(buffer.c_str()));
            return buffer;
        }
        if (errno != ERANGE) {
            Fail(errno);
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool SetCurrentDirectoryPath(const char* path) {
    return sys::chdir(path) == 0 || Fail(errno);
}

std::vector<VolumeEntry> ListVolumes() {
    std::vector<VolumeEntry> volumes;
    EachEntry("/", [&](int folder, const char* name) {
        FileStatus status;
        if (StatusAt(folder, name, name, &status) && status.folder)
            volumes.push_back({name, VolumeKind::kFixed});
    });
    std::sort(volumes.begin(), volumes.end(),
              [](const VolumeEntry& a, const VolumeEntry& b) { return a.name < b.name; });
    return volumes;
}

// POSIX reports no sector size; the fragment size is the unit the file system allocates in, a multiple of
// every sector size, so alignment to it satisfies whatever the device wants.
bool GetDiskSpace(const char* path, DiskSpace* out) {
    *out = {};
    struct statvfs vs;
    if (sys::statvfs(path, &vs) != 0) return Fail(errno);
    const uInt64 unit = vs.f_frsize ? vs.f_frsize : vs.f_bsize;
    out->totalBytes = uInt64(vs.f_blocks) * unit;
    out->freeBytes = uInt64(vs.f_bfree) * unit;
    out->availableBytes = uInt64(vs.f_bavail) * unit;
    out->bytesPerSector = uInt32(unit);
    return true;
}

std::string TemporaryDirectory() {
    const char* dir = std::getenv("TMPDIR");
    std::string path = dir && dir[0] == '/' ? dir : "/tmp";
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string LongPathName(const char* path) {
    struct stat st;
    if (sys::stat(path, &st) != 0) {
        Fail(errno);
        return {};
    }
    return path;
}

std::string ResolvedPath(const char* path) {
    char* resolved = sys::realpath(path, nullptr);
    if (!resolved) {
        Fail(errno);
        return {};
    }
    std::string result(resolved);
    std::free(resolved);
    return result;
}

}  // namespace tq::platform
