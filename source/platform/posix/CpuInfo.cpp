// POSIX processor counts, read from sysconf and /sys.
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <utility>

#include "platform/CpuInfo.h"
#include "platform/File.h"
#include "platform/posix/Syscalls.h"

namespace tq::platform {

namespace {

bool ReadNumber(const std::string& file, long& value) {
    std::string text;
    if (!FileReadAll(file.c_str(), text, 256)) return false;
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return end != text.c_str();
}

// Distinct (package, core) pairs of the online CPUs' sysfs topology; 0 when sysfs does not tell.
int32 CountCores() {
    DIR* dir = sys::opendir("/sys/devices/system/cpu");
    if (!dir) return 0;
    std::set<std::pair<long, long>> cores;
    while (const dirent* e = sys::readdir(dir)) {
        if (std::strncmp(e->d_name, "cpu", 3) != 0 || e->d_name[3] < '0' || e->d_name[3] > '9') continue;
        const std::string base = std::string("/sys/devices/system/cpu/") + e->d_name + "/topology/";
        long package = 0, core = 0;
        if (ReadNumber(base + "physical_package_id", package) && ReadNumber(base + "core_id", core))
            cores.emplace(package, core);
    }
    sys::closedir(dir);
    return int32(cores.size());
}

}  // namespace

int32 NumLogicalProcessors() {
    const long n = sys::sysconf(_SC_NPROCESSORS_ONLN);
    return n > 0 ? int32(n) : 1;
}

int32 CountPhysicalCores() {
    return CountCores();
}

}  // namespace tq::platform
