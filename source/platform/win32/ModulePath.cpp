// Win32 paths of the executable and of the module holding an address.
#include "platform/ModulePath.h"

#include "platform/win32/Syscalls.h"

namespace tq::platform {

namespace {
std::string ToUtf8(const wchar_t* text, int length) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(size_t(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
    return out;
}

// GetModuleFileNameW cuts the name to the buffer and says so only through the returned length.
std::string FileNameOf(HMODULE module) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 6; ++attempt) {
        const DWORD n = sys::GetModuleFileNameW(module, buffer.data(), DWORD(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return ToUtf8(buffer.data(), int(n));
        buffer.resize(buffer.size() * 2);
    }
    return {};
}
}  // namespace

std::string ModuleFilePath(void* module) {
    return FileNameOf(static_cast<HMODULE>(module));
}

std::string LibraryPath() {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(&LibraryPath)), &module))
        return {};
    return FileNameOf(module);
}

}  // namespace tq::platform
