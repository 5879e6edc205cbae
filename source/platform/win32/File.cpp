// Windows only: open files as handles, every call through the file-call table.
#include "platform/File.h"

#include <string>

#include "platform/LastError.h"
#include "platform/win32/Syscalls.h"
#include "platform/win32/WideText.h"

namespace tq::platform {

namespace {
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

DWORD Share(FileShare share) {
    switch (share) {
        case FileShare::kNone:
            return 0;
        case FileShare::kRead:
            return FILE_SHARE_READ;
        case FileShare::kReadWrite:
            return FILE_SHARE_READ | FILE_SHARE_WRITE;
        case FileShare::kAll:
            break;
    }
    return FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
}

HANDLE Handle(NativeFile file) {
    return reinterpret_cast<HANDLE>(file);
}

TQFileTime FromFiletime(const FILETIME& ft) {
    return {ft.dwLowDateTime, ft.dwHighDateTime};
}

FILETIME ToFiletime(const TQFileTime& ft) {
    return {ft.dwLowDateTime, ft.dwHighDateTime};
}
}  // namespace

NativeFile FileOpenShared(const char* utf8Path, const FileOpenRequest& request) {
    const std::wstring path = WideFromUtf8(utf8Path, true);
    if (path.empty()) {
        SetLastError(kWinInvalidName);
        return kNoFile;
    }
    if (request.disposition == FileDisposition::kTruncateExisting && request.access == FileAccess::kRead) {
        SetLastError(kWinInvalidParameter);
        return kNoFile;
    }
    const DWORD flags = request.unbuffered ? FILE_FLAG_NO_BUFFERING : FILE_ATTRIBUTE_NORMAL;
    const HANDLE h = sys::CreateFileW(path.c_str(), Access(request.access), Share(request.share), nullptr,
                                      Disposition(request.disposition), flags, nullptr);
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

bool FileSeek(NativeFile file, int64 offset, FileOrigin origin, int64* position) {
    const DWORD method = origin == FileOrigin::kBegin     ? FILE_BEGIN
                         : origin == FileOrigin::kCurrent ? FILE_CURRENT
                                                          : FILE_END;
    LARGE_INTEGER distance, moved;
    distance.QuadPart = offset;
    if (!sys::SetFilePointerEx(Handle(file), distance, &moved, method)) return false;
    if (position) *position = moved.QuadPart;
    return true;
}

bool FileLength(NativeFile file, int64* length) {
    LARGE_INTEGER size;
    if (!sys::GetFileSizeEx(Handle(file), &size)) return false;
    *length = size.QuadPart;
    return true;
}

bool FileSetEndHere(NativeFile file) {
    return sys::SetEndOfFile(Handle(file));
}

bool FileFlush(NativeFile file) {
    return sys::FlushFileBuffers(Handle(file));
}

bool FileLockRange(NativeFile file, uInt64 offset, uInt64 count) {
    return sys::LockFile(Handle(file), DWORD(offset), DWORD(offset >> 32), DWORD(count), DWORD(count >> 32));
}

bool FileUnlockRange(NativeFile file, uInt64 offset, uInt64 count) {
    return sys::UnlockFile(Handle(file), DWORD(offset), DWORD(offset >> 32), DWORD(count),
                           DWORD(count >> 32));
}

bool FileGetTimes(NativeFile file, FileTimes* times) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!sys::GetFileInformationByHandle(Handle(file), &info)) return false;
    times->creation = FromFiletime(info.ftCreationTime);
    times->lastWrite = FromFiletime(info.ftLastWriteTime);
    times->readOnly = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    return true;
}

bool FileSetTimes(NativeFile file, const TQFileTime* creation, const TQFileTime* lastWrite) {
    FILETIME c, w;
    if (creation) c = ToFiletime(*creation);
    if (lastWrite) w = ToFiletime(*lastWrite);
    return sys::SetFileTime(Handle(file), creation ? &c : nullptr, nullptr, lastWrite ? &w : nullptr);
}

uintptr_t FileToken(NativeFile file) {
    return uintptr_t(file);
}

NativeFile FileFromToken(uintptr_t token) {
    return NativeFile(token);
}

}  // namespace tq::platform
