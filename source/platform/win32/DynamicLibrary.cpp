// Win32 dynamic library loading by name.
#include "platform/DynamicLibrary.h"

#include <windows.h>

#include <string>

#include "platform/win32/WideText.h"

namespace tq::platform {

void* LoadLibraryByName(const char* name) {
    const std::wstring wide = WideFromUtf8(name, true);
    if (wide.empty()) return nullptr;
    return reinterpret_cast<void*>(::LoadLibraryW(wide.c_str()));
}

}  // namespace tq::platform
