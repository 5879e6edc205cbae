// Open files at the operating-system level: the raw material of the file manager and of the platform's own
// reads of system files. Failures leave a Win32 error number in the last error (platform/LastError.h). Any
// thread; one open file is used by one thread at a time.
#pragma once

#include <cstdint>
#include <string>

#include "tqcore/types.h"

namespace tq::platform {

// A file descriptor on POSIX, a HANDLE on Windows.
using NativeFile = intptr_t;
inline constexpr NativeFile kNoFile = -1;

enum class FileAccess : uInt8 { kRead, kWrite, kReadWrite };
// What happens when the file exists or does not, as Windows' creation dispositions say.
enum class FileDisposition : uInt8 {
    kOpenExisting,      // fails when missing
    kCreateNew,         // fails when present
    kCreateAlways,      // creates, or empties the existing file
    kOpenAlways,        // opens, creating when missing
    kTruncateExisting,  // empties the existing file; needs write access
};

// A folder cannot be opened as a file (access denied). Files are opened without deny modes; kNoFile on
// failure.
NativeFile FileOpen(const char* utf8Path, FileAccess access, FileDisposition disposition);
// One read or write at the current position: true with *done set to the bytes moved, which may be fewer than
// asked (the end of the file, a full disk). A call the OS interrupts is restarted, never reported.
bool FileRead(NativeFile file, void* buffer, uInt32 count, uInt32* done);
bool FileWrite(NativeFile file, const void* buffer, uInt32 count, uInt32* done);
bool FileClose(NativeFile file);

// The whole of a small file, read until its end (files under /proc and /sys report no size); false when it
// cannot be opened or read, or holds more than limit bytes (the last error then says why).
bool FileReadAll(const char* utf8Path, std::string& text, size_t limit);

}  // namespace tq::platform
