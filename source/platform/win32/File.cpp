// Windows only: open files as handles, every call through the file-call table.
#include "platform/File.h"

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

DWORD Access(FileAccess access) {
    switch (access) {
        case FileAccess::kRead:
            return GENERIC_READ;
        case FileAccess::kWrite:
            return GENERIC_WRITE;
        case FileAccess::kReadWrite:
            break;
    }
    return GENERIC_READ | GENERIC_WRITE;
}

DWORD Disposition(FileDisposition disposition) {
    switch (disposition) {
        case FileDisposition::kOpenExisting:
            break;
        case FileDisposition::kCreateNew:
            return CREATE_NEW;
        case FileDisposition::kCreateAlways:
            return CREATE_ALWAYS;
        case FileDisposition::kOpenAlways:
            return OPEN_ALWAYS;
        case FileDisposition::kTruncateExisting:
            return TRUNCATE_EXISTING;
    }
    return OPEN_EXISTING;
}
}  // namespace

NativeFile FileOpen(const char* utf8Path, FileAccess access, FileDisposition disposition) {
    const std::wstring path = utf8Path ? Wide(utf8Path) : std::wstring();
    if (path.empty()) {
        SetLastError(kWinInvalidName);
        return kNoFile;
    }
    if (disposition == FileDisposition::kTruncateExisting && access == FileAccess::kRead) {
        SetLastError(kWinInvalidParameter);
        return kNoFile;
    }
    const HANDLE h =
        sys::CreateFileW(path.c_str(), Access(access), FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, Disposition(disposition), FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<NativeFile>(h);
}

bool FileRead(NativeFile file, void* buffer, uInt32 count, uInt32* done) {
    DWORD n = 0;
    const bool ok = sys::ReadFile(reinterpret_cast<HANDLE>(file), buffer, count, &n, nullptr);
    *done = ok ? n : 0;
    return ok;
}

bool FileWrite(NativeFile file, const void* buffer, uInt32 count, uInt32* done) {
    DWORD n = 0;
    const bool ok = sys::WriteFile(reinterpret_cast<HANDLE>(file), buffer, count, &n, nullptr);
    *done = ok ? n : 0;
    return ok;
}

bool FileClose(NativeFile file) {
    return sys::CloseHandle(reinterpret_cast<HANDLE>(file));
}

}  // namespace tq::platform
