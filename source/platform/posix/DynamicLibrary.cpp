// POSIX dynamic library loading by name.
#include "platform/DynamicLibrary.h"

#include "platform/posix/Syscalls.h"

namespace tq::platform {

void* LoadLibraryByName(const char* name) {
    if (!name || !*name) return nullptr;
    return sys::dlopen(name, RTLD_NOW | RTLD_GLOBAL);
}

}  // namespace tq::platform
