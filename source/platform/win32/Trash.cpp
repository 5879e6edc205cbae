// Windows only: the shell's recycle bin.
#include "platform/Trash.h"

#include <string>

#include "platform/LastError.h"
#include "platform/win32/Syscalls.h"
#include "platform/win32/WideText.h"

namespace tq::platform {

bool MoveToTrash(const char* path, bool confirm) {
    std::wstring names = WideFromUtf8(path, true);
    if (names.empty()) {
        SetLastError(kWinInvalidName);
        return false;
    }
    // The shell reads a list of names, each ended by a NUL, the list by one more.
    names.push_back(L'\0');
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
