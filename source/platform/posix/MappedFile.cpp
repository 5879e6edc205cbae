#include "platform/MappedFile.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <new>

#include "platform/LastError.h"
#include "platform/posix/ErrnoMap.h"
#include "platform/posix/Syscalls.h"

namespace tq::platform {
namespace {

// munmap needs the length that Windows finds on its own from the address.
struct ViewTable {
    std::mutex lock;
    std::map<const void*, size_t> lengths;
};

ViewTable& Views() {
    static ViewTable table;
    return table;
}

}  // namespace

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
    try {
        std::lock_guard<std::mutex> hold(Views().lock);
        Views().lengths[p] = size_t(st.st_size);
    } catch (const std::bad_alloc&) {
        sys::munmap(p, size_t(st.st_size));
        SetLastError(kWinNotEnoughMemory);
        return false;
    }
    *view = MappedView{static_cast<const uInt8*>(p), uInt64(st.st_size)};
    return true;
}

bool UnmapView(const void* base) {
    size_t length = 0;
    {
        std::lock_guard<std::mutex> hold(Views().lock);
        const auto it = Views().lengths.find(base);
        if (it == Views().lengths.end()) {
            SetLastError(kWinInvalidParameter);
            return false;
        }
        length = it->second;
        Views().lengths.erase(it);
    }
    if (sys::munmap(const_cast<void*>(base), length) == 0) return true;
    SetLastErrorFromErrno(errno);
    return false;
}

}  // namespace tq::platform
