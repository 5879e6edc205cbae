// POSIX operating-system identity from uname and os-release.
#include <sys/utsname.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/OsInfo.h"

namespace tq::platform {

namespace {

// The value of KEY=value or KEY="value" in an os-release line, or empty.
std::string ValueOf(const char* line, const char* key) {
    const size_t k = std::strlen(key);
    if (std::strncmp(line, key, k) != 0 || line[k] != '=') return {};
    std::string v(line + k + 1);
    while (!v.empty() && (v.back() == '\n' || v.back() == '\r')) v.pop_back();
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return v;
}

std::string ReleaseName() {
    FILE* f = std::fopen("/etc/os-release", "r");
    if (!f) f = std::fopen("/usr/lib/os-release", "r");
    if (!f) return {};
    std::string pretty, name;
    char line[512];
    while (std::fgets(line, sizeof line, f)) {
        if (std::string v = ValueOf(line, "PRETTY_NAME"); !v.empty()) pretty = v;
        if (std::string v = ValueOf(line, "NAME"); !v.empty()) name = v;
    }
    std::fclose(f);
    return pretty.empty() ? name : pretty;
}

}  // namespace

OsIdentity QueryOsIdentity() {
    OsIdentity id;
    id.productName = ReleaseName();
    utsname u;
    if (uname(&u) == 0) {
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
