// Modification times of files, for callers that only need a date.
#pragma once

#include <string>

#include "tqcore/clocks.h"

namespace tq::platform {

// The last-write time of the file at a UTF-8 path as a FILETIME (UTC); false when it cannot be read.
bool FileLastWriteTime(const std::string& utf8Path, TQFileTime& out);

}  // namespace tq::platform
