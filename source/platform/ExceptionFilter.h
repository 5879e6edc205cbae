// The outermost structured-exception filter: it sees each fault that nothing nearer the fault handled.
#pragma once

#include "tqcore/types.h"

namespace tq::platform {

// Fault codes as Windows numbers them, on every OS.
enum : uInt32 {
    kExceptionAccessViolation = 0xC0000005,
    kExceptionStackOverflow = 0xC00000FD,
};

// Returns 1 to end the process quietly with the code as its exit status (POSIX keeps its low byte), 0 to let
// the fault take its usual course (the previous handler, a debugger, or the OS's crash handling).
using ExceptionFilter = int32 (*)(int32 code);

// Installs the filter for the whole process; null removes it. On POSIX a stack overflow reaches the filter
// only on threads that have called this or PrepareThreadForExceptionFilter (it runs on a per-thread spare
// stack).
void SetOutermostExceptionFilter(ExceptionFilter filter);
void PrepareThreadForExceptionFilter();

}  // namespace tq::platform
