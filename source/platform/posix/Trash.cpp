// POSIX only: the freedesktop.org trash. A trashed name goes to <trash>/files/<name> with a description in
// <trash>/info/<name>.trashinfo (its original place and the time), which is written first and claims the
// name, so two processes trashing alike-named files never collide.
#include "platform/Trash.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/LastError.h"
#include "platform/posix/ErrnoMap.h"
#include "platform/posix/Syscalls.h"

namespace tq::platform {

namespace {
bool Fail(int err) {
    SetLastErrorFromErrno(err);
    return false;
}

struct TrashPlace {
    std::string folder;
    // What the description's Path= holds is relative to this folder; empty for absolute paths.
    std::string top;
};

std::string HomeTrash() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/') return std::string(data) + "/Trash";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.local/share/Trash";
    return {};
}

std::string Parent(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

// Makes the folder and its missing ancestors, private to the user.
bool MakeFolders(const std::string& path) {
    struct stat st;
    if (sys::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode) || Fail(ENOTDIR);
    if (path != "/" && !MakeFolders(Parent(path))) return false;
    return sys::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST || Fail(errno);
}

bool MakeTrash(const std::string& trash) {
    return MakeFolders(trash + "/files") && MakeFolders(trash + "/info");
}

// The highest folder above path on the same device: the volume's mount point.
std::string VolumeTop(const std::string& path, dev_t device) {
    std::string top = Parent(path);
    while (top != "/") {
        const std::string up = Parent(top);
        struct stat st;
        if (sys::stat(up.c_str(), &st) != 0 || st.st_dev != device) break;
        top = up;
    }
    return top;
}

// $top/.Trash/$uid when the administrator made $top/.Trash a sticky folder (no link), else $top/.Trash-$uid.
std::string VolumeTrash(const std::string& top) {
    const std::string base = top == "/" ? "" : top;
    const std::string uid = std::to_string(unsigned(sys::getuid()));
    struct stat st;
    if (sys::lstat((base + "/.Trash").c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX))
        return base + "/.Trash/" + uid;
    return base + "/.Trash-" + uid;
}

bool ChooseTrash(const std::string& path, const struct stat& item, TrashPlace* place) {
    const std::string home = HomeTrash();
    struct stat st;
    if (!home.empty() && MakeTrash(home) && sys::stat(home.c_str(), &st) == 0 && st.st_dev == item.st_dev) {
        place->folder = home;
        return true;
    }
    place->top = VolumeTop(path, item.st_dev);
    place->folder = VolumeTrash(place->top);
    return MakeTrash(place->folder);
}

// Path= keeps its bytes as URI text: every byte outside the unreserved set and "/" as %XX.
std::string PercentEncoded(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const unsigned char b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || c == '-' ||
            c == '_' || c == '.' || c == '~' || c == '/') {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    return out;
}

std::string DeletionDate() {
    struct timespec now {};
    sys::clock_gettime(CLOCK_REALTIME, &now);
    struct tm local {};
    localtime_r(&now.tv_sec, &local);
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

std::string Description(const std::string& path, const TrashPlace& place) {
    const std::string_view shown =
        place.top.empty() ? std::string_view(path)
                          : std::string_view(path).substr(place.top == "/" ? 1 : place.top.size() + 1);
    return "[Trash Info]\nPath=" + PercentEncoded(shown) + "\nDeletionDate=" + DeletionDate() + "\n";
}

// "a.txt", then "a.2.txt", "a.3.txt"... A leading dot starts no extension.
std::string Candidate(const std::string& name, int n) {
    if (n == 1) return name;
    const size_t dot = name.rfind('.');
    const size_t cut = dot == std::string::npos || dot == 0 ? name.size() : dot;
    return name.substr(0, cut) + "." + std::to_string(n) + name.substr(cut);
}

bool WriteAll(int fd, const std::string& text) {
    for (size_t done = 0; done < text.size();) {
        const ssize_t n = sys::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        done += size_t(n);
    }
    return true;
}

// Creates info/<name>.trashinfo exclusively; false with errno EEXIST when the name is taken.
bool WriteDescription(const std::string& infoPath, const std::string& text) {
    const int fd = sys::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, text);
    int err = errno;
    if (sys::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) sys::unlink(infoPath.c_str());
    errno = err;
    return ok;
}

// Claims a free name in the trash through its description; the chosen name in *trashed.
bool ClaimName(const TrashPlace& place, const std::string& name, const std::string& text,
               std::string* trashed) {
    for (int n = 1; n < 100000; ++n) {
        const std::string candidate = Candidate(name, n);
        const std::string info = place.folder + "/info/" + candidate + ".trashinfo";
        if (!WriteDescription(info, text)) {
            if (errno == EEXIST) continue;
            return Fail(errno);
        }
        struct stat st;
        if (sys::lstat((place.folder + "/files/" + candidate).c_str(), &st) == 0) {
            sys::unlink(info.c_str());
            continue;
        }
        *trashed = candidate;
        return true;
    }
    return Fail(EEXIST);
}
}  // namespace

bool MoveToTrash(const char* utf8Path, bool) {
    std::string path(utf8Path ? utf8Path : "");
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (path.size() < 2 || path[0] != '/') return Fail(EINVAL);
    struct stat item;
    if (sys::lstat(path.c_str(), &item) != 0) return Fail(errno);
    TrashPlace place;
    if (!ChooseTrash(path, item, &place)) return false;
    std::string trashed;
    if (!ClaimName(place, path.substr(path.rfind('/') + 1), Description(path, place), &trashed)) return false;
    if (sys::rename(path.c_str(), (place.folder + "/files/" + trashed).c_str()) == 0) return true;
    const int err = errno;
    sys::unlink((place.folder + "/info/" + trashed + ".trashinfo").c_str());
    return Fail(err);
}

}  // namespace tq::platform
