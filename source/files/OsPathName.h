// The one way from a Path to the name the operating system sees. Every function that reaches the file system
// by path goes through it, so the accepted names and the length limit are the same everywhere.
#pragma once

#include <string>

#include "tqcore/files.h"
#include "tqcore/paths.h"

namespace tq::files {

// The OS name, NUL excluded, stays below this many bytes of library text.
inline constexpr size_t kMaxOsNameBytes = 260;

// The OS name of p as UTF-8, which the platform layer hands on (converted to UTF-16 on Windows): "/a/b" on
// POSIX, "C:\a\b" or "\\server\share\a" on Windows. 1 for a path that is not absolute or UNC, has no items,
// or holds an illegal name; 129 when the name would reach kMaxOsNameBytes.
TqErr OsPathName(Path p, bool resolveShortcuts, std::string& utf8);

}  // namespace tq::files
