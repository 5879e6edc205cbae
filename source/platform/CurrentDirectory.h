// The volume of the process's current directory, which rooted path text without a volume stands on. Reads
// process-wide state; any thread.
#pragma once

#include <string>

namespace tq::platform {

// Windows: the first character of the current directory (the drive letter). POSIX: the top-level folder the
// current directory lies in, empty when it is "/" itself.
std::string CurrentVolume();

}  // namespace tq::platform
