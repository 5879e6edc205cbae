// POSIX paths of the executable and of the module holding an address.
#include "platform/ModulePath.h"

#include <link.h>

#include <climits>

#include "platform/posix/Syscalls.h"

namespace tq::platform {

namespace {
std::string ExecutablePath() {
    std::string path(PATH_MAX, '\0');
    // readlink does not terminate and cuts silently: a full buffer means the path may be longer.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t n = sys::readlink("/proc/self/exe", path.data(), path.size());
        if (n < 0) return {};
        if (size_t(n) < path.size()) {
            path.resize(size_t(n));
            return path;
        }
        path.resize(path.size() * 2);
    }
    return {};
}
}  // namespace

std::string ModuleFilePath(void* module) {
    if (!module) return ExecutablePath();
    link_map* map = nullptr;
    if (sys::dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || !map) return {};
    // The main program's entry has an empty name.
    if (!map->l_name || !*map->l_name) return ExecutablePath();
    return map->l_name;
}

std::string LibraryPath() {
    Dl_info info{};
    link_map* map = nullptr;
    if (!sys::dladdr1(reinterpret_cast<void*>(&LibraryPath), &info, reinterpret_cast<void**>(&map),
                      RTLD_DL_LINKMAP))
        return {};
    // Linked statically, the code lives in the main program, whose entry has an empty name.
    if (!map || !map->l_name || !*map->l_name) return ExecutablePath();
    return map->l_name;
}

}  // namespace tq::platform
