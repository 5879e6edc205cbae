// What the file subcommands share: paths from the command line in the OS's own form, and the text of the
// information records' fields.
#pragma once

#include <memory>
#include <string>

#include "tqcore/files.h"
#include "tqcore/paths.h"

namespace tool {

// "pathref_dos" on Windows, "pathref_unix" elsewhere.
const char* NativePathFormat();
// An absolute path from command-line text (a relative one is taken from the current directory); null with
// the reason printed to standard error, prefixed by the command's name.
std::unique_ptr<PathRef> PathFromArgument(const char* command, const char* text);
// The path in the OS's own form.
std::string NativeText(const PathRef& p);
// A date of the records as UTC text, "YYYY-MM-DD hh:mm:ss"; "-" for 0.
std::string DateText(uInt32 secs);
// Permission bits as "rwxrwxrwx".
std::string RightsText(uInt32 permissions);
// A four-character code as its characters.
std::string CodeText(int32 code);

}  // namespace tool
