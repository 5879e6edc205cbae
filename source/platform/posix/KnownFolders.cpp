// Standard folders on a Linux desktop: the XDG base directories and user folders for the user's own, the
// shared system folders for the rest. Environment and user-dirs.dirs are read on every call.
#include "platform/KnownFolders.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/posix/Syscalls.h"

namespace tq::platform {
namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string Home() {
    const std::string home = Env("HOME");
    if (!home.empty()) return WithoutTrailingSlash(home);
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (sys::getpwuid_r(sys::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_dir)
        return {};
    return WithoutTrailingSlash(found->pw_dir);
}

// A base directory variable counts only when it holds an absolute path; otherwise its default below home.
std::string BaseDirectory(const char* variable, const char* belowHome) {
    const std::string value = Env(variable);
    if (!value.empty() && value[0] == '/') return WithoutTrailingSlash(value);
    const std::string home = Home();
    return home.empty() ? std::string() : home + "/" + belowHome;
}

// The first absolute entry of a colon-separated list variable, else the fallback.
std::string FirstOfList(const char* variable, const char* fallback) {
    const std::string value = Env(variable);
    size_t start = 0;
    while (start <= value.size()) {
        const size_t end = std::min(value.find(':', start), value.size());
        const std::string entry = value.substr(start, end - start);
        if (!entry.empty() && entry[0] == '/') return WithoutTrailingSlash(entry);
        start = end + 1;
    }
    return fallback;
}

std::string ReadSmallFile(const std::string& name) {
    const int fd = sys::open(name.c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0) return {};
    std::string text;
    char chunk[4096];
    for (;;) {
        const ssize_t n = sys::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || text.size() > (1u << 20)) break;
        text.append(chunk, size_t(n));
    }
    sys::close(fd);
    return text;
}

// The quoted value of one user-dirs.dirs line: "$HOME/..." or an absolute path, with backslash escapes.
// Empty for anything else, which the file's readers ignore too.
std::string QuotedFolder(const std::string& line, size_t at, const std::string& home) {
    if (at >= line.size() || line[at] != '"') return {};
    ++at;
    std::string folder;
    if (line.compare(at, 5, "$HOME") == 0 && (line[at + 5] == '/' || line[at + 5] == '"')) {
        folder = home;
        at += 5;
    } else if (line[at] != '/') {
        return {};
    }
    for (; at < line.size() && line[at] != '"'; ++at) {
        if (line[at] == '\\' && at + 1 < line.size()) ++at;
        folder += line[at];
    }
    return at < line.size() ? WithoutTrailingSlash(folder) : std::string();
}

// The folder user-dirs.dirs names for key (the last assignment wins, as when the shell reads it).
std::string UserDirsEntry(const char* key) {
    const std::string home = Home();
    const std::string text = ReadSmallFile(BaseDirectory("XDG_CONFIG_HOME", ".config") + "/user-dirs.dirs");
    const std::string prefix = std::string(key) + "=";
    std::string found;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        start = end + 1;
        line.erase(0, line.find_first_not_of(" \t"));
        if (line.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string folder = QuotedFolder(line, prefix.size(), home);
        if (!folder.empty()) found = folder;
    }
    return found;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return sys::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Makes path and its missing parents; true when it is a folder afterwards.
bool MakeFolders(const std::string& path, mode_t mode) {
    if (path.empty() || IsFolder(path)) return !path.empty();
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash), mode)) return false;
    return sys::mkdir(path.c_str(), mode) == 0 || errno == EEXIST ? IsFolder(path) : false;
}

std::string Created(const std::string& path, bool create, mode_t mode) {
    if (!create || path.empty()) return path;
    return MakeFolders(path, mode) ? path : std::string();
}

// A desktop or documents folder: the user-dirs.dirs entry, else the default xdg-user-dir answers. A named
// folder that has vanished reads as home, as the desktop session resets it at the next login.
std::string UserFolder(const char* key, const char* fallbackBelowHome, bool create) {
    const std::string home = Home();
    const std::string named = UserDirsEntry(key);
    if (!named.empty()) {
        if (create) return Created(named, true, 0700);
        return IsFolder(named) ? named : home;
    }
    if (home.empty()) return {};
    return Created(*fallbackBelowHome ? home + "/" + fallbackBelowHome : home, create, 0700);
}

std::string Folder(KnownFolder folder, bool create) {
    switch (folder) {
        case KnownFolder::kHome:
            return Home();
        case KnownFolder::kDesktop:
            return UserFolder("XDG_DESKTOP_DIR", "Desktop", create);
        case KnownFolder::kDocuments:
            // Unnamed, the documents folder is home itself, as xdg-user-dir answers.
            return UserFolder("XDG_DOCUMENTS_DIR", "", create);
        case KnownFolder::kUserApplicationData:
            return Created(BaseDirectory("XDG_DATA_HOME", ".local/share"), create, 0700);
        case KnownFolder::kUserPreferences:
            return Created(BaseDirectory("XDG_CONFIG_HOME", ".config"), create, 0700);
        case KnownFolder::kPublicDocuments:
            // Linux has no shared documents folder: the shared data folder stands in.
            return Created(FirstOfList("XDG_DATA_DIRS", "/usr/share"), create, 0755);
        case KnownFolder::kPublicApplicationData:
            return Created(FirstOfList("XDG_DATA_DIRS", "/usr/share"), create, 0755);
        case KnownFolder::kPublicPreferences:
            return Created(FirstOfList("XDG_CONFIG_DIRS", "/etc/xdg"), create, 0755);
        case KnownFolder::kSystemCoreLibraries:
            return "/usr/lib";
        case KnownFolder::kSystemInstalledLibraries:
            // Libraries the administrator installed, beside the distribution's own.
            return "/usr/local/lib";
        case KnownFolder::kApplicationFiles:
            // Add-on application packages.
            return "/opt";
        case KnownFolder::kBootVolumeRoot:
            return "/";
        case KnownFolder::kPublicCache:
            return "/var/cache";
        default:
            return {};
    }
}

}  // namespace

std::string KnownFolderPath(KnownFolder folder, bool create) {
    return Folder(folder, create);
}

}  // namespace tq::platform
