// POSIX only: durable replacement through rename, with the file and its folder synced.
#include "platform/FileReplace.h"

#include <cerrno>
#include <string>

#include "platform/posix/ErrnoMap.h"
#include "platform/posix/Syscalls.h"

namespace tq::platform {

namespace {
bool Failed() {
    SetLastErrorFromErrno(errno);
    return false;
}

std::string FolderOf(const char* path) {
    const std::string p(path);
    const size_t slash = p.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : p.substr(0, slash);
}

// The rename is durable once the folder holding both names is synced.
bool SyncFolder(const std::string& folder) {
    const int fd = sys::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0) return Failed();
    const bool ok = sys::fsync(fd) == 0 || errno == EINVAL;  // some file systems cannot sync a folder
    const int err = errno;
    sys::close(fd);
    if (!ok) SetLastErrorFromErrno(err);
    return ok;
}
}  // namespace

bool FileReplaceDurably(const char* fromUtf8, const char* toUtf8) {
    if (sys::rename(fromUtf8, toUtf8) != 0) return Failed();
    return SyncFolder(FolderOf(toUtf8));
}

}  // namespace tq::platform
