// The per-thread last error, always holding Win32 error numbers so that one mapping to TqErr serves every OS.
#pragma once

#include "tqcore/types.h"

namespace tq::platform {

enum : uInt32 {
    kWinSuccess = 0,
    kWinInvalidFunction = 1,
    kWinFileNotFound = 2,
    kWinPathNotFound = 3,
    kWinTooManyOpenFiles = 4,
    kWinAccessDenied = 5,
    kWinInvalidHandle = 6,
    kWinNotEnoughMemory = 8,
    kWinNotReady = 21,
    kWinSharingViolation = 32,
    kWinLockViolation = 33,
    kWinHandleEof = 38,
    kWinHandleDiskFull = 39,
    kWinNotSupported = 50,
    kWinBadNetPath = 53,
    kWinFileExists = 80,
    kWinInvalidParameter = 87,
    kWinBrokenPipe = 109,
    kWinDiskFull = 112,
    kWinInsufficientBuffer = 122,
    kWinInvalidName = 123,
    kWinDirNotEmpty = 145,
    kWinNotLocked = 158,
    kWinAlreadyExists = 183,
    kWinFilenameExcedRange = 206,
    kWinDirectory = 267,
    kWinNoUnicodeTranslation = 1113,
    kWinTimeout = 1460,
    kWinNegativeSeek = 131,
};

uInt32 GetLastError();
void SetLastError(uInt32 code);

}  // namespace tq::platform
