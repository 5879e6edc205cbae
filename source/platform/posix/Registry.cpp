// POSIX only: there is no system registry; nothing is ever found in it.
#include "platform/Registry.h"

#include "platform/LastError.h"

namespace tq::platform {

bool RegistryReadMachineString(const std::string&, const std::string&, std::string&) {
    SetLastError(kWinFileNotFound);
    return false;
}

}  // namespace tq::platform
