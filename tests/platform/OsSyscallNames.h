// The one per-OS detail of the fault-injection tests: the OS's names for the calls behind the file
// primitives, and its own numbers for the errors injected into them.
#pragma once

#include <cerrno>

#include "platform/LastError.h"

namespace tq::platform::test {

struct OsSyscallNames {
    const char* open;
    const char* read;
    const char* write;
    const char* fileTime;  // what FileLastWriteTime asks
    const char* removeFile;
    const char* removeFolder;
    int32 diskFull;
    int32 tooManyFiles;
    int32 accessDenied;
    int32 interrupted;  // 0 where calls are never interrupted
};

#ifdef _WIN32
// Windows' own numbers are the ones the last error holds.
inline constexpr OsSyscallNames kOs{"CreateFileW",
                                    "ReadFile",
                                    "WriteFile",
                                    "GetFileAttributesExW",
                                    "DeleteFileW",
                                    "RemoveDirectoryW",
                                    int32(kWinDiskFull),
                                    int32(kWinTooManyOpenFiles),
                                    int32(kWinAccessDenied),
                                    0};
#else
inline constexpr OsSyscallNames kOs{"open",  "read", "write", "stat", "unlink",
                                    "rmdir", ENOSPC, EMFILE,  EACCES, EINTR};
#endif

}  // namespace tq::platform::test
