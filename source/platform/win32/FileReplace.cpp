// Windows only: durable replacement with a written-through move over the target.
#include "platform/FileReplace.h"

#include <string>

#include "platform/LastError.h"
#include "platform/win32/Syscalls.h"

namespace tq::platform {

namespace {
std::wstring Wide(const char* utf8) {
    const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(size_t(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, wide.data(), n);
    wide.resize(size_t(n - 1));
    return wide;
}

bool BadName() {
    SetLastError(kWinInvalidName);
    return false;
}
}  // namespace

bool FileReplaceDurably(const char* fromUtf8, const char* toUtf8) {
    const std::wstring from = Wide(fromUtf8), to = Wide(toUtf8);
    if (from.empty() || to.empty()) return BadName();
    return sys::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
           FALSE;
}

}  // namespace tq::platform
