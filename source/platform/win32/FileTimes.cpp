// Win32 file modification times.
#include <string>

#include "platform/FileTimes.h"
#include "platform/win32/Syscalls.h"
#include "platform/win32/WideText.h"

namespace tq::platform {

bool FileLastWriteTime(const std::string& utf8Path, TQFileTime& out) {
    const std::wstring wide = WideFromUtf8(utf8Path.data(), utf8Path.size(), false);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!sys::GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) return false;
    out.dwLowDateTime = data.ftLastWriteTime.dwLowDateTime;
    out.dwHighDateTime = data.ftLastWriteTime.dwHighDateTime;
    return true;
}

}  // namespace tq::platform
