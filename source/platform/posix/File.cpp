// POSIX only: open files as descriptors, every call through the system-call table.
#include "platform/File.h"

#include <cerrno>

#include "platform/LastError.h"
#include "platform/posix/ErrnoMap.h"
#include "platform/posix/FileShares.h"
#include "platform/posix/FileTimeConvert.h"
#include "platform/posix/Syscalls.h"

namespace tq::platform {

namespace {
int OpenFlags(FileAccess access, FileDisposition disposition) {
    int flags = O_CLOEXEC;
    flags |= access == FileAccess::kRead ? O_RDONLY : access == FileAccess::kWrite ? O_WRONLY : O_RDWR;
    switch (disposition) {
        case FileDisposition::kOpenExisting:
            break;
        case FileDisposition::kCreateNew:
            flags |= O_CREAT | O_EXCL;
            break;
        case FileDisposition::kCreateAlways:
            flags |= O_CREAT;
            break;
        case FileDisposition::kOpenAlways:
            flags |= O_CREAT;
            break;
        case FileDisposition::kTruncateExisting:
            break;
    }
    return flags;
}

// Emptying waits until the share modes allow the open.
bool Truncates(FileDisposition disposition) {
    return disposition == FileDisposition::kCreateAlways || disposition == FileDisposition::kTruncateExisting;
}

// Repeats a call the kernel interrupted before it did anything.
template <class Call>
auto Restarting(Call call) {
    auto r = call();
    while (r < 0 && errno == EINTR) r = call();
    return r;
}

// Windows says "file exists" where a file is in the way of a new one, "already exists" elsewhere.
NativeFile FailOpen(int err) {
    if (err == EEXIST)
        SetLastError(kWinFileExists);
    else
        SetLastErrorFromErrno(err);
    return kNoFile;
}

// A descriptor opened without the access asked for is, as Windows says, access denied; only a closed one is
// a bad handle.
bool Transferred(int fd, ssize_t n, uInt32* done) {
    if (n < 0) {
        const int err = errno;
        if (err == EBADF && sys::fcntl(fd, F_GETFD, 0) != -1)
            SetLastError(kWinAccessDenied);
        else
            SetLastErrorFromErrno(err);
        return false;
    }
    *done = uInt32(n);
    return true;
}

// Closes a descriptor that is not handed out, keeping the error that made us give it up; a file this open
// made is removed again.
NativeFile Abandon(int fd, FileDisposition disposition, const char* path) {
    const uInt32 error = GetLastError();
    sys::close(fd);
    if (disposition == FileDisposition::kCreateNew) sys::unlink(path);
    SetLastError(error);
    return kNoFile;
}

// Not every file system takes direct I/O: there the file is opened cached.
int OpenDescriptor(const char* path, int flags, bool unbuffered) {
    if (unbuffered) {
        const int fd = Restarting([&] { return sys::open(path, flags | O_DIRECT, 0666); });
        if (fd >= 0 || errno != EINVAL) return fd;
    }
    return Restarting([&] { return sys::open(path, flags, 0666); });
}

// Windows refuses to open a folder as a file; so do we, having opened it to learn what it is.
bool Identify(int fd, shares::Identity& id) {
    struct stat st;
    if (sys::fstat(fd, &st) != 0) {
        SetLastErrorFromErrno(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        SetLastErrorFromErrno(EISDIR);
        return false;
    }
    id = {st.st_dev, st.st_ino};
    return true;
}

bool Truncate(int fd, off_t length) {
    if (Restarting([&] { return sys::ftruncate(fd, length); }) == 0) return true;
    SetLastErrorFromErrno(errno);
    return false;
}
}  // namespace

NativeFile FileOpenShared(const char* utf8Path, const FileOpenRequest& request) {
    if (!utf8Path || !*utf8Path) {
        SetLastError(kWinInvalidName);
        return kNoFile;
    }
    if (request.disposition == FileDisposition::kTruncateExisting && request.access == FileAccess::kRead)
        return FailOpen(EINVAL);
    const int fd =
        OpenDescriptor(utf8Path, OpenFlags(request.access, request.disposition), request.unbuffered);
    if (fd < 0) return FailOpen(errno);
    shares::Identity id;
    if (!Identify(fd, id) || !shares::Register(fd, id, request.access, request.share, utf8Path))
        return Abandon(fd, request.disposition, utf8Path);
    if (Truncates(request.disposition) && !Truncate(fd, 0)) {
        shares::Unregister(fd);
        return Abandon(fd, request.disposition, utf8Path);
    }
    return fd;
}

// Another open file's byte-range lock on the bytes about to move fails the transfer, as on Windows.
bool TransferAllowed(int fd, uInt32 count) {
    if (!shares::AnyRangeLocked() || count == 0) return true;
    const off_t at = sys::lseek(fd, 0, SEEK_CUR);
    if (at < 0) return true;  // a pipe or the like: no position, no locks
    return shares::MayTransfer(fd, uInt64(at), count);
}

bool FileRead(NativeFile file, void* buffer, uInt32 count, uInt32* done) {
    *done = 0;
    if (!TransferAllowed(int(file), count)) return false;
    const ssize_t n = Restarting([&] { return sys::read(int(file), buffer, count); });
    return Transferred(int(file), n, done);
}

bool FileWrite(NativeFile file, const void* buffer, uInt32 count, uInt32* done) {
    *done = 0;
    if (!TransferAllowed(int(file), count)) return false;
    const ssize_t n = Restarting([&] { return sys::write(int(file), buffer, count); });
    return Transferred(int(file), n, done);
}

// Linux releases the descriptor even when close reports EINTR: never close twice.
bool FileClose(NativeFile file) {
    shares::Unregister(int(file));
    if (sys::close(int(file)) == 0) return true;
    SetLastErrorFromErrno(errno);
    return false;
}

namespace {
bool Failed(int err) {
    SetLastErrorFromErrno(err);
    return false;
}

bool StatOf(NativeFile file, struct stat& st) {
    return sys::fstat(int(file), &st) == 0 || Failed(errno);
}

bool PositionOf(NativeFile file, int64& position) {
    const off_t at = sys::lseek(int(file), 0, SEEK_CUR);
    if (at < 0) return Failed(errno);
    position = at;
    return true;
}

// The position an origin stands for.
bool OriginOf(NativeFile file, FileOrigin origin, int64& base) {
    base = 0;
    if (origin == FileOrigin::kCurrent) return PositionOf(file, base);
    if (origin == FileOrigin::kEnd) return FileLength(file, &base);
    return true;
}
}  // namespace

bool FileSeek(NativeFile file, int64 offset, FileOrigin origin, int64* position) {
    int64 base = 0;
    if (!OriginOf(file, origin, base)) return false;
    int64 target = 0;
    if (__builtin_add_overflow(base, offset, &target)) return Failed(EINVAL);
    if (target < 0) {
        SetLastError(kWinNegativeSeek);
        return false;
    }
    const off_t at = sys::lseek(int(file), off_t(target), SEEK_SET);
    if (at < 0) return Failed(errno);
    if (position) *position = at;
    return true;
}

bool FileLength(NativeFile file, int64* length) {
    struct stat st;
    if (!StatOf(file, st)) return false;
    *length = st.st_size;
    return true;
}

bool FileSetEndHere(NativeFile file) {
    int64 at = 0;
    return PositionOf(file, at) && Truncate(int(file), off_t(at));
}

bool FileFlush(NativeFile file) {
    return Restarting([&] { return sys::fsync(int(file)); }) == 0 || Failed(errno);
}

bool FileLockRange(NativeFile file, uInt64 offset, uInt64 count) {
    return shares::LockRange(int(file), offset, count);
}

bool FileUnlockRange(NativeFile file, uInt64 offset, uInt64 count) {
    return shares::UnlockRange(int(file), offset, count);
}

// No creation time is kept here: the last status change stands in. Read-only means the owner may not write.
bool FileGetTimes(NativeFile file, FileTimes* times) {
    struct stat st;
    if (!StatOf(file, st)) return false;
    times->creation = FileTimeFromTimespec(st.st_ctim);
    times->lastWrite = FileTimeFromTimespec(st.st_mtim);
    times->readOnly = (st.st_mode & S_IWUSR) == 0;
    return true;
}

bool FileSetTimes(NativeFile file, const TQFileTime* /*creation*/, const TQFileTime* lastWrite) {
    if (!lastWrite) return true;
    const struct timespec times[2] = {{0, UTIME_OMIT}, TimespecFromFileTime(*lastWrite)};
    return sys::futimens(int(file), times) == 0 || Failed(errno);
}

uintptr_t FileToken(NativeFile file) {
    return uintptr_t(file) + 1;
}

NativeFile FileFromToken(uintptr_t token) {
    return NativeFile(token) - 1;
}

}  // namespace tq::platform
