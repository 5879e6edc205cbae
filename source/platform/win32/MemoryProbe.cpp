// Win32 memory probes: reading a byte that may be unmapped, and guard pages.
#include "platform/MemoryProbe.h"

#include <windows.h>

#include <cstdint>

namespace tq::platform {

namespace {
size_t PageSize() {
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    return size_t(info.dwPageSize);
}

// Committed pages without a no-access or guard protection; Wine's ReadProcessMemory on the own process
// ignores the protection, so it is checked first.
bool PageReadable(const void* address) {
    MEMORY_BASIC_INFORMATION info;
    if (::VirtualQuery(address, &info, sizeof info) != sizeof info) return false;
    if (info.State != MEM_COMMIT) return false;
    return !(info.Protect & (PAGE_NOACCESS | PAGE_GUARD)) && info.Protect != 0;
}
}  // namespace

bool ReadOwnMemoryByte(const void* address, uInt8* out) {
    if (!out || !PageReadable(address)) return false;
    SIZE_T n = 0;
    return ::ReadProcessMemory(::GetCurrentProcess(), address, out, 1, &n) && n == 1;
}

uInt8* AllocateBytesBeforeUnreadablePage(size_t size) {
    const size_t page = PageSize();
    if (size == 0 || size > page) return nullptr;
    void* base = ::VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!base) return nullptr;
    uInt8* second = static_cast<uInt8*>(base) + page;
    DWORD old = 0;
    if (!::VirtualProtect(second, page, PAGE_NOACCESS, &old)) {
        ::VirtualFree(base, 0, MEM_RELEASE);
        return nullptr;
    }
    return second - size;
}

void FreeBytesBeforeUnreadablePage(uInt8* bytes) {
    if (!bytes) return;
    const uintptr_t base = reinterpret_cast<uintptr_t>(bytes) & ~uintptr_t(PageSize() - 1);
    ::VirtualFree(reinterpret_cast<void*>(base), 0, MEM_RELEASE);
}

}  // namespace tq::platform
