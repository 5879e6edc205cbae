// Windows only: the shell's recycle bin.
#include "platform/Trash.h"

#include <string>

#include "platform/LastError.h"
#include "platform/Utf8Codec.h"
#include "platform/win32/Syscalls.h"

namespace tq::platform {

bool MoveToTrash(const char* path, bool confirm) {
    const int32 length = path ? int32(strlen(path)) : 0;
    const int32 n = length ? Utf8ToUtf16(path, length, nullptr, 0, true) : 0;
    if (n <= 0) {
        SetLastError(kWinInvalidName);
        return false;
    }
    // The shell reads a list of names, each ended by a NUL, the list by one more.
    std::wstring names(size_t(n) + 2, L'\0');
    Utf8ToUtf16(path, length, names.data(), n, true);
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = names.c_str();
    op.fFlags = FOF_ALLOWUNDO;
    if (!confirm) op.fFlags |= FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR;
    const int result = sys::SHFileOperationW(&op);
    if (result == 0 && !op.fAnyOperationsAborted) return true;
    // The shell's own codes below 0x71 are Win32 errors; the rest, and a cancel, mean it was not done.
    SetLastError(result != 0 && result < 0x71 ? uInt32(result) : kWinAccessDenied);
    return false;
}

}  // namespace tq::platform
