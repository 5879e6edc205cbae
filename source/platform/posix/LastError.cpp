// POSIX last error: a per-thread Win32 error number and the errno mapping to it.
#include <cerrno>

#include "platform/LastError.h"
#include "platform/ThreadLocal.h"
#include "platform/posix/ErrnoMap.h"

namespace tq::platform {

namespace {
thread_local uInt32 tLastError TQ_THREAD_LOCAL_FAST = kWinSuccess;

struct ErrnoEntry {
    int err;
    uInt32 win;
};

constexpr ErrnoEntry kErrnoTable[] = {
    {0, kWinSuccess},
    {ENOENT, kWinFileNotFound},
    {ENOTDIR, kWinPathNotFound},
    {EACCES, kWinAccessDenied},
    {EPERM, kWinAccessDenied},
    {EROFS, kWinAccessDenied},
    {EBADF, kWinInvalidHandle},
    {ENOMEM, kWinNotEnoughMemory},
    {EBUSY, kWinSharingViolation},
    {ETXTBSY, kWinSharingViolation},
    {EAGAIN, kWinLockViolation},
    {ENOSPC, kWinDiskFull},
    {EDQUOT, kWinDiskFull},
    {EFBIG, kWinHandleDiskFull},
    {EEXIST, kWinAlreadyExists},
    {EINVAL, kWinInvalidParameter},
    {ENAMETOOLONG, kWinFilenameExcedRange},
    {EMFILE, kWinTooManyOpenFiles},
    {ENFILE, kWinTooManyOpenFiles},
    {ENOTEMPTY, kWinDirNotEmpty},
    {EISDIR, kWinAccessDenied},
    {EPIPE, kWinBrokenPipe},
    {ENOTSUP, kWinNotSupported},
    {ENOSYS, kWinInvalidFunction},
    {ETIMEDOUT, kWinTimeout},
    {EILSEQ, kWinNoUnicodeTranslation},
    {ENXIO, kWinNotReady},
    {ENODEV, kWinNotReady},
};
}  // namespace

uInt32 GetLastError() {
    return tLastError;
}

void SetLastError(uInt32 code) {
    tLastError = code;
}

uInt32 Win32ErrorFromErrno(int err) {
    for (const ErrnoEntry& e : kErrnoTable)
        if (e.err == err) return e.win;
    return kWinInvalidFunction;
}

uInt32 SetLastErrorFromErrno(int err) {
    tLastError = Win32ErrorFromErrno(err);
    return tLastError;
}

}  // namespace tq::platform
