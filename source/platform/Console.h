// The process console: standard handles, a console of its own where the platform has them, and text out.
#pragma once

#include <cstdint>

#include "tqcore/types.h"

namespace tq::platform {

// The standard output and input as native values (descriptors on POSIX, HANDLEs on Windows).
intptr_t ConsoleStandardOutput();
intptr_t ConsoleStandardInput();
// Gives the process a console when it has none: true when one was made here (never on POSIX).
bool ConsoleAllocate();
void ConsoleFree();
// UTF-16 text to an output: a console takes it as UTF-16, anything else (a file, a pipe, a POSIX terminal)
// as UTF-8. Errors are ignored.
void ConsoleWrite(intptr_t output, const TQWChar* text, int32 units);

}  // namespace tq::platform
