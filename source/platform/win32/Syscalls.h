// Windows only: the one table of the kernel's file calls, the ones the file manager and the platform's file
// units make. Each unit calls sys::ReadFile(...) and the like instead of ::ReadFile(...), so a test can
// replace a call or make its Nth call fail (platform/Syscalls.h), under Wine as on Windows.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "platform/SyscallSeam.h"

// X(name, failure value, byte-count argument). The failure value is what an injected failure returns with the
// thread's last error set.
#define TQ_WIN32_SYSCALLS(X)                       \
    /* Open files. */                              \
    X(CreateFileW, -1, kNoCount)                   \
    X(ReadFile, FALSE, 2)                          \
    X(WriteFile, FALSE, 2)                         \
    X(SetFilePointerEx, FALSE, kNoCount)           \
    X(GetFileSizeEx, FALSE, kNoCount)              \
    X(SetEndOfFile, FALSE, kNoCount)               \
    X(FlushFileBuffers, FALSE, kNoCount)           \
    X(GetFileInformationByHandle, FALSE, kNoCount) \
    X(SetFileTime, FALSE, kNoCount)                \
    X(LockFile, FALSE, kNoCount)                   \
    X(UnlockFile, FALSE, kNoCount)                 \
    X(LockFileEx, FALSE, kNoCount)                 \
    X(UnlockFileEx, FALSE, kNoCount)               \
    X(CloseHandle, FALSE, kNoCount)                \
    /* Names in the file system. */                \
    X(GetFileAttributesW, -1, kNoCount)            \
    X(GetFileAttributesExW, FALSE, kNoCount)       \
    X(SetFileAttributesW, FALSE, kNoCount)         \
    X(CopyFileW, FALSE, kNoCount)                  \
    X(MoveFileW, FALSE, kNoCount)                  \
    X(MoveFileExW, FALSE, kNoCount)                \
    X(ReplaceFileW, FALSE, kNoCount)               \
    X(DeleteFileW, FALSE, kNoCount)                \
    X(CreateDirectoryW, FALSE, kNoCount)           \
    X(RemoveDirectoryW, FALSE, kNoCount)           \
    X(FindFirstFileW, -1, kNoCount)                \
    X(FindNextFileW, FALSE, kNoCount)              \
    X(FindClose, FALSE, kNoCount)                  \
    X(GetCurrentDirectoryW, 0, kNoCount)           \
    X(SetCurrentDirectoryW, FALSE, kNoCount)       \
    X(GetTempPathW, 0, kNoCount)                   \
    X(GetModuleFileNameW, 0, kNoCount)             \
    /* Volumes. */                                 \
    X(GetLogicalDrives, 0, kNoCount)               \
    X(GetDriveTypeW, kCannotFail, kNoCount)        \
    X(GetDiskFreeSpaceW, FALSE, kNoCount)          \
    X(GetDiskFreeSpaceExW, FALSE, kNoCount)        \
    /* Spelt names; the recycle bin. */            \
    X(GetLongPathNameW, 0, kNoCount)               \
    X(GetFullPathNameW, 0, kNoCount)               \
    X(SHFileOperationW, ERROR_ACCESS_DENIED, kNoCount)

namespace tq::platform::sys {

#define TQ_DECLARE_SYSCALL(name, failure, count) extern SyscallEntry<decltype(::name)> name;
TQ_WIN32_SYSCALLS(TQ_DECLARE_SYSCALL)
#undef TQ_DECLARE_SYSCALL

}  // namespace tq::platform::sys
