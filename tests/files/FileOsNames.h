// The per-OS detail of the file manager's fault tests: the OS's names for the calls behind each open-file
// function, and its own numbers for the errors injected into them.
#pragma once

#include <cerrno>

#include "platform/LastError.h"

namespace tq::files::test {

struct FileOsNames {
    const char* open;
    const char* read;
    const char* write;
    const char* setLength;
    const char* flush;
    const char* close;
    const char* length;
    const char* lockRange;
    int32 diskFull;
    int32 tooManyFiles;
    int32 accessDenied;
    int32 ioError;
    int32 interrupted;  // 0 where calls are never interrupted
};

#ifdef _WIN32
inline constexpr FileOsNames kOs{"CreateFileW",
                                 "ReadFile",
                                 "WriteFile",
                                 "SetEndOfFile",
                                 "FlushFileBuffers",
                                 "CloseHandle",
                                 "GetFileSizeEx",
                                 "LockFile",
                                 int32(platform::kWinDiskFull),
                                 int32(platform::kWinTooManyOpenFiles),
                                 int32(platform::kWinAccessDenied),
                                 1117,  // ERROR_IO_DEVICE
                                 0};
#else
inline constexpr FileOsNames kOs{"open",       "read", "write", "ftruncate", "fsync", "close", "fstat",
                                 "fcntl_lock", ENOSPC, EMFILE,  EACCES,      EIO,     EINTR};
#endif

}  // namespace tq::files::test
