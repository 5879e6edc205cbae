// POSIX only: open files as descriptors, every call through the system-call table.
#include "platform/File.h"

#include <cerrno>

#include "platform/LastError.h"
#include "platform/posix/ErrnoMap.h"
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
            flags |= O_CREAT | O_TRUNC;
            break;
        case FileDisposition::kOpenAlways:
            flags |= O_CREAT;
            break;
        case FileDisposition::kTruncateExisting:
            flags |= O_TRUNC;
            break;
    }
    return flags;
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

bool Transferred(ssize_t n, uInt32* done) {
    if (n < 0) {
        SetLastErrorFromErrno(errno);
        return false;
    }
    *done = uInt32(n);
    return true;
}

// Windows refuses to open a folder as a file; so do we, having opened it to learn what it is.
bool IsFolder(int fd) {
    struct stat st;
    return sys::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
}
}  // namespace

NativeFile FileOpen(const char* utf8Path, FileAccess access, FileDisposition disposition) {
    if (!utf8Path || !*utf8Path) {
        SetLastError(kWinInvalidName);
        return kNoFile;
    }
    if (disposition == FileDisposition::kTruncateExisting && access == FileAccess::kRead)
        return FailOpen(EINVAL);
    const int flags = OpenFlags(access, disposition);
    const int fd = Restarting([&] { return sys::open(utf8Path, flags, 0666); });
    if (fd < 0) return FailOpen(errno);
    if (IsFolder(fd)) {
        sys::close(fd);
        return FailOpen(EISDIR);
    }
    return fd;
}

bool FileRead(NativeFile file, void* buffer, uInt32 count, uInt32* done) {
    *done = 0;
    const ssize_t n = Restarting([&] { return sys::read(int(file), buffer, count); });
    return Transferred(n, done);
}

bool FileWrite(NativeFile file, const void* buffer, uInt32 count, uInt32* done) {
    *done = 0;
    const ssize_t n = Restarting([&] { return sys::write(int(file), buffer, count); });
    return Transferred(n, done);
}

// Linux releases the descriptor even when close reports EINTR: never close twice.
bool FileClose(NativeFile file) {
    if (sys::close(int(file)) == 0) return true;
    SetLastErrorFromErrno(errno);
    return false;
}

}  // namespace tq::platform
