// File paths of loaded modules: the host executable and this library. Any thread.
#pragma once

#include <string>

namespace tq::platform {

// UTF-8 path of a loaded module (an HMODULE, or a dlopen handle on POSIX); null means the executable that
// started the process. Empty when it cannot be found.
std::string ModuleFilePath(void* module);
// UTF-8 path of the module that holds this library's code (the shared library, or the program it is linked
// into statically). Empty when it cannot be found.
std::string LibraryPath();

}  // namespace tq::platform
