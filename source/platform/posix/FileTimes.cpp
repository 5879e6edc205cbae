// POSIX file modification times as FILETIME values.
#include <cerrno>

#include "platform/FileTimes.h"
#include "platform/posix/ErrnoMap.h"
#include "platform/posix/FileTimeConvert.h"
#include "platform/posix/Syscalls.h"

namespace tq::platform {

bool FileLastWriteTime(const std::string& utf8Path, TQFileTime& out) {
    struct stat st;
    if (sys::stat(utf8Path.c_str(), &st) != 0) {
        SetLastErrorFromErrno(errno);
        return false;
    }
    out = FileTimeFromTimespec(st.st_mtim);
    return true;
}

}  // namespace tq::platform
