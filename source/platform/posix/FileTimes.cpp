// POSIX file modification times as FILETIME values.
#include <cerrno>

#include "platform/FileTimes.h"
#include "platform/posix/ErrnoMap.h"
#include "platform/posix/Syscalls.h"

namespace tq::platform {

bool FileLastWriteTime(const std::string& utf8Path, TQFileTime& out) {
    struct stat st;
    if (sys::stat(utf8Path.c_str(), &st) != 0) {
        SetLastErrorFromErrno(errno);
        return false;
    }
    // 100-ns units since 1601-01-01, the FILETIME epoch, 11644473600 s before the Unix one.
    const uInt64 ticks =
        (uInt64(int64(st.st_mtim.tv_sec) + 11644473600LL) * 10000000ull) + uInt64(st.st_mtim.tv_nsec / 100);
    out.dwLowDateTime = uInt32(ticks);
    out.dwHighDateTime = uInt32(ticks >> 32);
    return true;
}

}  // namespace tq::platform
