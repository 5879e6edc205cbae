// Loading of dynamic libraries by name for optional helpers.
#pragma once

namespace tq::platform {

// Loads a library by file name (UTF-8) through the OS search rules; null when it cannot be loaded. The
// library stays loaded for the life of the process.
void* LoadLibraryByName(const char* name);

}  // namespace tq::platform
