// Windows only: the kind of a name from its attributes.
#include "platform/FileKind.h"

#include <string>

#include "platform/LastError.h"
#include "platform/win32/Syscalls.h"

namespace tq::platform {

FileKind FileKindOf(const char* utf8Path) {
    if (!utf8Path || !*utf8Path) return FileKind::kNone;
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8Path, -1, nullptr, 0);
    if (n <= 0) return FileKind::kNone;
    std::wstring wide(size_t(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8Path, -1, wide.data(), n);
    const DWORD a = sys::GetFileAttributesW(wide.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) {
        const uInt32 e = GetLastError();
        if (e == kWinSharingViolation) return FileKind::kFile;
        return e == kWinFileNotFound || e == kWinPathNotFound ? FileKind::kNone : FileKind::kUnknown;
    }
    return (a & FILE_ATTRIBUTE_DIRECTORY) ? FileKind::kFolder : FileKind::kFile;
}

}  // namespace tq::platform
