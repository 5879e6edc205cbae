// Win32 file modification times.
#include <string>

#include "platform/FileTimes.h"
#include "platform/win32/Syscalls.h"

namespace tq::platform {

bool FileLastWriteTime(const std::string& utf8Path, TQFileTime& out) {
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8Path.c_str(), -1, nullptr, 0);
    if (n <= 0) return false;
    std::wstring wide(size_t(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8Path.c_str(), -1, wide.data(), n);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!sys::GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) return false;
    out.dwLowDateTime = data.ftLastWriteTime.dwLowDateTime;
    out.dwHighDateTime = data.ftLastWriteTime.dwHighDateTime;
    return true;
}

}  // namespace tq::platform
