// Standard folders from the shell's known folders; the temporary folder from the kernel.
#include "platform/KnownFolders.h"

#include <shlobj.h>

#include <string>

#include "platform/win32/Syscalls.h"
#include "platform/win32/WideText.h"

namespace tq::platform {
namespace {

// "C:\a\" -> "C:\a"; a volume root keeps its backslash.
std::wstring WithoutTrailingBackslash(std::wstring path) {
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

const KNOWNFOLDERID* FolderId(KnownFolder folder) {
    switch (folder) {
        case KnownFolder::kHome:
            return &FOLDERID_Profile;
        case KnownFolder::kDesktop:
            return &FOLDERID_Desktop;
        case KnownFolder::kDocuments:
            return &FOLDERID_Documents;
        case KnownFolder::kUserApplicationData:
        case KnownFolder::kUserPreferences:
            return &FOLDERID_LocalAppData;
        case KnownFolder::kPublicDocuments:
            return &FOLDERID_PublicDocuments;
        case KnownFolder::kPublicApplicationData:
        case KnownFolder::kPublicPreferences:
        case KnownFolder::kPublicCache:
            return &FOLDERID_ProgramData;
        case KnownFolder::kSystemCoreLibraries:
        case KnownFolder::kSystemInstalledLibraries:
            return &FOLDERID_System;
        case KnownFolder::kApplicationFiles:
            return &FOLDERID_ProgramFiles;
        case KnownFolder::kBootVolumeRoot:
            return &FOLDERID_Windows;
        default:
            return nullptr;
    }
}

std::wstring ShellFolder(const KNOWNFOLDERID& id, bool create) {
    PWSTR path = nullptr;
    const HRESULT hr = ::SHGetKnownFolderPath(id, create ? DWORD(KF_FLAG_CREATE) : DWORD(0), nullptr, &path);
    std::wstring out = SUCCEEDED(hr) && path ? std::wstring(path) : std::wstring();
    ::CoTaskMemFree(path);
    return out;
}

}  // namespace

std::string KnownFolderPath(KnownFolder folder, bool create) {
    const KNOWNFOLDERID* id = FolderId(folder);
    if (!id) return {};
    std::wstring path = ShellFolder(*id, create);
    if (folder == KnownFolder::kBootVolumeRoot) {
        // The volume that holds the system: "C:\".
        if (path.size() < 2 || path[1] != L':') return {};
        path = path.substr(0, 2) + L"\\";
    }
    path = WithoutTrailingBackslash(path);
    return Utf8FromWide(path.data(), path.size());
}

}  // namespace tq::platform
