// POSIX only: the one place errno values become Win32 error numbers.
#pragma once

#include "tqcore/types.h"

namespace tq::platform {

uInt32 Win32ErrorFromErrno(int err);
// Sets the last error from errno (or the given value) and returns the Win32 number.
uInt32 SetLastErrorFromErrno(int err);

}  // namespace tq::platform
