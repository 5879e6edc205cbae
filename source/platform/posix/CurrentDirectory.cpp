#include "platform/CurrentDirectory.h"

#include <unistd.h>

#include <climits>

namespace tq::platform {

std::string CurrentVolume() {
    char buffer[PATH_MAX];
    if (!::getcwd(buffer, sizeof buffer) || buffer[0] != '/') return {};
    const std::string cwd(buffer + 1);
    return cwd.substr(0, cwd.find('/'));
}

}  // namespace tq::platform
