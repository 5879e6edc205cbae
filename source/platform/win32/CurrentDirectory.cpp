#include "platform/CurrentDirectory.h"

#include <windows.h>

namespace tq::platform {

std::string CurrentVolume() {
    char buffer[MAX_PATH];
    const DWORD n = GetCurrentDirectoryA(MAX_PATH, buffer);
    if (n == 0 || n >= MAX_PATH) return {};
    return std::string(1, buffer[0]);
}

}  // namespace tq::platform
