// POSIX only: the kind of a name, following symbolic links.
#include "platform/FileKind.h"

#include <cerrno>

#include "platform/posix/ErrnoMap.h"
#include "platform/posix/Syscalls.h"

namespace tq::platform {

FileKind FileKindOf(const char* utf8Path) {
    struct stat st;
    if (!utf8Path || !*utf8Path) return FileKind::kNone;
    if (sys::stat(utf8Path, &st) != 0) {
        const int err = errno;
        SetLastErrorFromErrno(err);
        return err == ENOENT || err == ENOTDIR ? FileKind::kNone : FileKind::kUnknown;
    }
    return S_ISDIR(st.st_mode) ? FileKind::kFolder : FileKind::kFile;
}

}  // namespace tq::platform
