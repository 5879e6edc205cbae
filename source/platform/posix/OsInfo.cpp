// POSIX operating-system identity from uname and os-release.
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "platform/File.h"
#include "platform/OsInfo.h"
#include "platform/posix/Syscalls.h"

namespace tq::platform {

namespace {

// The value of KEY=value or KEY="value" in an os-release line, or empty.
std::string ValueOf(const std::string& line, const char* key) {
    const size_t k = std::strlen(key);
    if (line.compare(0, k, key) != 0 || line.size() <= k || line[k] != '=') return {};
    std::string v = line.substr(k + 1);
    while (!v.empty() && v.back() == '\r') v.pop_back();
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return v;
}

std::string ReleaseName() {
    std::string text;
    if (!FileReadAll("/etc/os-release", text, 64 * 1024) &&
        !FileReadAll("/usr/lib/os-release", text, 64 * 1024))
        return {};
    std::istringstream lines(text);
    std::string line, pretty, name;
    while (std::getline(lines, line)) {
        if (std::string v = ValueOf(line, "PRETTY_NAME"); !v.empty()) pretty = v;
        if (std::string v = ValueOf(line, "NAME"); !v.empty()) name = v;
    }
    return pretty.empty() ? name : pretty;
}

}  // namespace

OsIdentity QueryOsIdentity() {
    OsIdentity id;
    id.productName = ReleaseName();
    utsname u;
    if (sys::uname(&u) == 0) {
        if (id.productName.empty()) id.productName = u.sysname;
        unsigned long v[3] = {0, 0, 0};
        char* p = u.release;
        for (int i = 0; i < 3 && *p >= '0' && *p <= '9'; ++i) {
            v[i] = std::strtoul(p, &p, 10);
            if (*p == '.') ++p;
        }
        id.major = uInt32(v[0]);
        id.minor = uInt32(v[1]);
        id.build = uInt32(v[2]);
        id.detail = std::string(u.release) + " " + u.machine;
    }
    return id;
}

}  // namespace tq::platform
