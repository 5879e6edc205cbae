// What the path-level functions of the file manager share: argument checks, the OS name, the way back from
// an OS name to a Path, and dates.
#pragma once

#include <string>

#include "tqcore/clocks.h"
#include "tqcore/files.h"
#include "tqcore/paths.h"

namespace tq::files {

// The text format of the OS's own names.
const char* OsPathFormat();
// An absolute or UNC path.
bool IsRootedPath(Path p);
// Drops p's cached facts that the coming change may falsify; a null p is ignored.
void FlushDestination(Path p);
// p's OS name, after the rooted check: 1 for a path that is neither absolute nor UNC.
TqErr RootedOsName(Path p, bool resolveShortcuts, std::string& utf8);
// The library text of an OS name (UTF-8 on POSIX) as a Path in *out (a new one when null); 1 when it is not
// a rooted path.
TqErr PathFromOsName(const std::string& utf8, Path* out);

// A date of the information records: whole seconds since 1904, rounded to the nearest second.
uInt32 DateFromFileTime(const TQFileTime& t);

}  // namespace tq::files
