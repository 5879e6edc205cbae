// Win32 paths of the executable and of the module holding an address.
#include "platform/ModulePath.h"

#include "platform/win32/Syscalls.h"
#include "platform/win32/WideText.h"

namespace tq::platform {

namespace {
// GetModuleFileNameW cuts the name to the buffer and says so only through the returned length.
std::string FileNameOf(HMODULE module) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 6; ++attempt) {
        const DWORD n = sys::GetModuleFileNameW(module, buffer.data(), DWORD(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return Utf8FromWide(buffer.data(), n);
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
