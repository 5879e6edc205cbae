#include "platform/MappedFile.h"

#include "platform/LastError.h"
#include "platform/win32/Syscalls.h"

namespace tq::platform {

bool MapWholeFile(intptr_t file, MappedView* view) {
    *view = MappedView{};
    LARGE_INTEGER size{};
    HANDLE h = reinterpret_cast<HANDLE>(file);
    if (!sys::GetFileSizeEx(h, &size)) return false;
    if (size.QuadPart <= 0) {
        SetLastError(kWinInvalidParameter);
        return false;
    }
    HANDLE mapping = sys::CreateFileMappingW(h, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping) return false;
    void* p = sys::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    // The view keeps the mapping alive.
    CloseHandle(mapping);
    if (!p) return false;
    *view = MappedView{static_cast<const uInt8*>(p), uInt64(size.QuadPart)};
    return true;
}

bool UnmapView(const void* base) {
    return sys::UnmapViewOfFile(base) != FALSE;
}

}  // namespace tq::platform
