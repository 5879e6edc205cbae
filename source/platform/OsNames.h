// How the operating system spells file names: the one fact about names that the layers above need to know.
#pragma once

namespace tq::platform {

// "C:\a\b" and "\\server\share\a" (Windows), or "/a/b" (POSIX).
enum class OsNameStyle { kUnix, kDos };
OsNameStyle NativeNameStyle();

}  // namespace tq::platform
