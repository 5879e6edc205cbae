// Win32 dynamic library loading by name.
#include "platform/DynamicLibrary.h"

#include <windows.h>

#include <string>

namespace tq::platform {

void* LoadLibraryByName(const char* name) {
    if (!name || !*name) return nullptr;
    const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name, -1, nullptr, 0);
    if (n <= 0) return nullptr;
    std::wstring wide(size_t(n), L'\0');
    if (::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name, -1, wide.data(), n) != n) return nullptr;
    return reinterpret_cast<void*>(::LoadLibraryW(wide.c_str()));
}

}  // namespace tq::platform
