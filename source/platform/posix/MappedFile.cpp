#include "platform/MappedFile.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/LastError.h"
#include "platform/posix/ErrnoMap.h"
#include "platform/posix/Syscalls.h"

namespace tq::platform {

bool MapWholeFile(intptr_t file, MappedView* view) {
    *view = MappedView{};
    struct stat st {};
    if (sys::fstat(int(file), &st) != 0) {
        SetLastErrorFromErrno(errno);
        return false;
    }
    if (st.st_size <= 0) {
        SetLastError(kWinInvalidParameter);
        return false;
    }
    void* p = sys::mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_SHARED, int(file), 0);
    if (p == MAP_FAILED) {
        SetLastErrorFromErrno(errno);
        return false;
    }
    *view = MappedView{static_cast<const uInt8*>(p), uInt64(st.st_size)};
    return true;
}

void UnmapView(MappedView* view) {
    if (view->base) sys::munmap(const_cast<uInt8*>(view->base), size_t(view->size));
    *view = MappedView{};
}

}  // namespace tq::platform
