// The leak report's file: the name a caller gives is turned into the path written through a hook, which the
// library's assembly points at the file manager's diagnostic locations. Until then the name is the path.
#pragma once

#include <cstddef>

#include "tqcore/diagnostics.h"
#include "tqcore/memory.h"

namespace tq::memory {

// Writes the path for name into path (size bytes, NUL-terminated); false when there is none.
using LeakFileNamer = bool (*)(const char* name, char* path, size_t size);
void SetLeakFileNamer(LeakFileNamer namer);

// The dump lines shared by the tracker and its reports. Addresses print as 16 upper-case hex digits on every
// target, so dumps compare alike.
void DumpFrames(AllocDumper& dumper, const StackChain& stack);

}  // namespace tq::memory
