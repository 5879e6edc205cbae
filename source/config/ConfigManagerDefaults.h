// What the host application interface decides for a configuration manager: its section and its default file.
#pragma once

#include <string>

#include "tqcore/paths.h"

namespace tq::config {

// The host's preference section; "TQCore" without a host interface.
std::string HostPrefsSection();
// The built application's name with ".ini" in the application's folder (NotAPath when the name is empty).
PathRef DefaultPrefFile();

}  // namespace tq::config
