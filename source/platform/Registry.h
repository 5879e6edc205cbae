// The system registry, where the platform has one.
#pragma once

#include <string>

namespace tq::platform {

// The string value of a local-machine key (backslash-separated, UTF-8); false when the key, the value or the
// registry itself is missing.
bool RegistryReadMachineString(const std::string& key, const std::string& value, std::string& out);

}  // namespace tq::platform
