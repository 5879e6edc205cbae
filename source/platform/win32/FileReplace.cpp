// Windows only: durable replacement with a written-through move over the target.
#include "platform/FileReplace.h"

#include <string>

#include "platform/LastError.h"
#include "platform/win32/Syscalls.h"
#include "platform/win32/WideText.h"

namespace tq::platform {

namespace {
bool BadName() {
    SetLastError(kWinInvalidName);
    return false;
}
}  // namespace

bool FileReplaceDurably(const char* fromUtf8, const char* toUtf8) {
    const std::wstring from = WideFromUtf8(fromUtf8, true), to = WideFromUtf8(toUtf8, true);
    if (from.empty() || to.empty()) return BadName();
    return sys::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
           FALSE;
}

}  // namespace tq::platform
