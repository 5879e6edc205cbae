// Windows only: names in the file system through the wide calls, every one through the file-call table.
#include "platform/FileSystem.h"

#include <algorithm>

#include "platform/LastError.h"
#include "platform/win32/Syscalls.h"
#include "platform/win32/WideText.h"

namespace tq::platform {

namespace {
// Empty for text that is not UTF-8 (the last error then says so).
std::wstring Wide(const char* utf8) {
    std::wstring wide = WideFromUtf8(utf8, true);
    if (wide.empty()) SetLastError(kWinNoUnicodeTranslation);
    return wide;
}

TQFileTime FromFiletime(const FILETIME& t) {
    return {t.dwLowDateTime, t.dwHighDateTime};
}

FILETIME ToFiletime(const TQFileTime& t) {
    return {t.dwLowDateTime, t.dwHighDateTime};
}

void FillStatus(DWORD attributes, uInt64 size, const FILETIME& created, const FILETIME& modified,
                FileStatus* out) {
    out->folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    out->readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    out->hidden = (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    out->permissions = (out->readOnly ? 0444u : 0666u) | (out->folder ? 0111u : 0u);
    out->size = out->folder ? 0 : size;
    out->created = FromFiletime(created);
    out->modified = FromFiletime(modified);
}

bool IsDotOrDotDot(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// Calls visit(data) for each entry but "." and ".."; false when the folder cannot be listed.
template <class Visit>
bool EachEntry(const char* path, Visit visit) {
    std::wstring pattern = Wide(path);
    if (pattern.empty()) return false;
    if (pattern.back() != L'\\') pattern += L'\\';
    pattern += L"*";
    WIN32_FIND_DATAW data;
    const HANDLE find = sys::FindFirstFileW(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        if (!IsDotOrDotDot(data.cFileName)) visit(data);
    } while (sys::FindNextFileW(find, &data));
    const DWORD err = GetLastError();
    sys::FindClose(find);
    SetLastError(err);
    return err == ERROR_NO_MORE_FILES;
}

template <class Call>
bool WithWide(const char* path, Call call) {
    const std::wstring wide = Wide(path);
    return !wide.empty() && call(wide.c_str());
}

// The drive root ("C:\") a path lies on, or the path itself with a closing backslash.
std::wstring RootOf(const std::wstring& path) {
    if (path.size() >= 2 && path[1] == L':') return path.substr(0, 2) + L"\\";
    return path.back() == L'\\' ? path : path + L"\\";
}

// A wide call that fills a buffer and says how much it needed: called again with that much room.
template <class Call>
std::string WideAnswer(Call call) {
    std::wstring buffer(MAX_PATH + 1, L'\0');
    DWORD n = call(buffer.data(), DWORD(buffer.size()));
    if (n >= buffer.size()) {
        buffer.resize(n + 1);
        n = call(buffer.data(), DWORD(buffer.size()));
    }
    if (n == 0 || n >= buffer.size()) return {};
    return Utf8FromWide(buffer.data(), n);
}
}  // namespace

bool FileGetStatus(const char* path, FileStatus* out) {
    *out = {};
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!WithWide(path, [&](const wchar_t* w) {
            return sys::GetFileAttributesExW(w, GetFileExInfoStandard, &data);
        }))
        return false;
    FillStatus(data.dwFileAttributes, uInt64(data.nFileSizeHigh) << 32 | data.nFileSizeLow,
               data.ftCreationTime, data.ftLastWriteTime, out);
    return true;
}

bool FileGetLinkStatus(const char* path, FileStatus* out) {
    return FileGetStatus(path, out);
}

bool FolderRead(const char* path, std::vector<FolderEntry>& entries, bool withStatus) {
    entries.clear();
    return EachEntry(path, [&](const WIN32_FIND_DATAW& data) {
        FolderEntry entry{Utf8FromWide(data.cFileName), {}};
        if (withStatus)
            FillStatus(data.dwFileAttributes, uInt64(data.nFileSizeHigh) << 32 | data.nFileSizeLow,
                       data.ftCreationTime, data.ftLastWriteTime, &entry.status);
        entries.push_back(std::move(entry));
    });
}

int64 FolderCountEntries(const char* path) {
    int64 count = 0;
    return EachEntry(path, [&](const WIN32_FIND_DATAW&) { ++count; }) ? count : -1;
}

bool FileCopy(const char* from, const char* to) {
    const std::wstring source = Wide(from), target = Wide(to);
    return !source.empty() && !target.empty() && sys::CopyFileW(source.c_str(), target.c_str(), TRUE);
}

bool FileMove(const char* from, const char* to) {
    const std::wstring source = Wide(from), target = Wide(to);
    return !source.empty() && !target.empty() && sys::MoveFileW(source.c_str(), target.c_str());
}

bool FileDelete(const char* path) {
    return WithWide(path, [](const wchar_t* w) { return sys::DeleteFileW(w) != FALSE; });
}

bool FolderRemove(const char* path) {
    return WithWide(path, [](const wchar_t* w) { return sys::RemoveDirectoryW(w) != FALSE; });
}

bool FolderMake(const char* path) {
    return WithWide(path, [](const wchar_t* w) { return sys::CreateDirectoryW(w, nullptr) != FALSE; });
}

bool FileSetPermissions(const char* path, uInt32 permissions) {
    return WithWide(path, [&](const wchar_t* w) {
        const DWORD attributes = sys::GetFileAttributesW(w);
        if (attributes == INVALID_FILE_ATTRIBUTES) return false;
        const DWORD wanted = (permissions & 0200) ? attributes & ~DWORD(FILE_ATTRIBUTE_READONLY)
                                                  : attributes | FILE_ATTRIBUTE_READONLY;
        return wanted == attributes || sys::SetFileAttributesW(w, wanted) != FALSE;
    });
}

// Opened for its attributes alone and without sharing, as a write of its times needs.
bool FileSetTimesByName(const char* path, const TQFileTime* created, const TQFileTime* modified) {
    return WithWide(path, [&](const wchar_t* w) {
        const HANDLE h = sys::CreateFileW(w, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        const FILETIME c = created ? ToFiletime(*created) : FILETIME{};
        const FILETIME m = modified ? ToFiletime(*modified) : FILETIME{};
        const bool ok = sys::SetFileTime(h, created ? &c : nullptr, nullptr, modified ? &m : nullptr);
        const DWORD err = GetLastError();
        sys::CloseHandle(h);
        SetLastError(err);
        return ok;
    });
}

uInt32 ProcessUmask() {
    return 0;
}

std::string CurrentDirectoryPath() {
    return WideAnswer([](wchar_t* buffer, DWORD size) { return sys::GetCurrentDirectoryW(size, buffer); });
}

bool SetCurrentDirectoryPath(const char* path) {
    return WithWide(path, [](const wchar_t* w) { return sys::SetCurrentDirectoryW(w) != FALSE; });
}

std::vector<VolumeEntry> ListVolumes() {
    std::vector<VolumeEntry> volumes;
    const DWORD drives = sys::GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(drives & (1u << i))) continue;
        const wchar_t root[] = {wchar_t(L'A' + i), L':', L'\\', 0};
        VolumeEntry v{std::string(1, char('A' + i)), VolumeKind::kFixed};
        switch (sys::GetDriveTypeW(root)) {
            case DRIVE_REMOVABLE:
            case DRIVE_CDROM:
                v.kind = VolumeKind::kRemovable;
                break;
            case DRIVE_REMOTE:
                v.kind = VolumeKind::kNetwork;
                break;
            default:
                break;
        }
        volumes.push_back(v);
    }
    return volumes;
}

bool GetDiskSpace(const char* path, DiskSpace* out) {
    *out = {};
    const std::wstring wide = Wide(path);
    if (wide.empty()) return false;
    const std::wstring root = RootOf(wide);
    ULARGE_INTEGER available, total, free;
    if (!sys::GetDiskFreeSpaceExW(root.c_str(), &available, &total, &free)) return false;
    out->totalBytes = total.QuadPart;
    out->freeBytes = free.QuadPart;
    out->availableBytes = available.QuadPart;
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (sys::GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        out->bytesPerSector = bytesPerSector;
    return true;
}

std::string TemporaryDirectory() {
    std::string path =
        WideAnswer([](wchar_t* buffer, DWORD size) { return sys::GetTempPathW(size, buffer); });
    // "C:\" keeps its backslash: without it the name means the drive's current directory.
    if (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

std::string LongPathName(const char* path) {
    const std::wstring wide = Wide(path);
    if (wide.empty()) return {};
    return WideAnswer(
        [&](wchar_t* buffer, DWORD size) { return sys::GetLongPathNameW(wide.c_str(), buffer, size); });
}

std::string ResolvedPath(const char* path) {
    const std::wstring wide = Wide(path);
    if (wide.empty()) return {};
    std::string full = WideAnswer([&](wchar_t* buffer, DWORD size) {
        return sys::GetFullPathNameW(wide.c_str(), size, buffer, nullptr);
    });
    FileStatus status;
    return !full.empty() && FileGetStatus(full.c_str(), &status) ? full : std::string();
}

}  // namespace tq::platform
