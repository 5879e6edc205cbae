// The one way from a Path to the name the operating system sees. Every function that reaches the file system
// by path goes through it, so the accepted names and the length limit are the same everywhere.
#pragma once

#include <string>

#include "platform/OsNames.h"
#include "tqcore/files.h"
#include "tqcore/paths.h"

namespace tq::files {

// The OS name, NUL excluded, stays below this many bytes of library text.
inline constexpr size_t kMaxOsNameBytes = 260;

// The OS name of p as UTF-8, which the platform layer hands on (converted to UTF-16 on Windows): "/a/b" on
// POSIX, "C:\a\b" or "\\server\share\a" on Windows. 1 for a path that is not absolute or UNC, has no items,
// or holds an illegal name; 129 when the name would reach kMaxOsNameBytes.
TqErr OsPathName(Path p, bool resolveShortcuts, std::string& utf8);

// The same name in the library's own text (the ANSI code page), in either style, before any conversion.
TqErr OsNameText(const PathRef& p, platform::OsNameStyle style, std::string& text);

// Library text (the ANSI code page) as the OS's UTF-8; false when it cannot be converted.
bool OsTextFromLibrary(const std::string& text, std::string& utf8);

// A name the OS handed back (UTF-8) in the library's text; characters the code page lacks become '?'.
std::string LibraryTextFromOs(const std::string& utf8);

}  // namespace tq::files
