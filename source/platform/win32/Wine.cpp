// Wine detection on Win32.
#include "platform/Wine.h"

#include <windows.h>

namespace tq::platform {

// Wine's ntdll exports its version query; Windows' ntdll has no such export.
bool RunningUnderWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace tq::platform
