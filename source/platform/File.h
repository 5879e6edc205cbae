// Open files at the operating-system level: the raw material of the file manager and of the platform's own
// reads of system files. Failures leave a Win32 error number in the last error (platform/LastError.h). Any
// thread; one open file is used by one thread at a time.
#pragma once

#include <cstdint>
#include <string>

#include "tqcore/clocks.h"
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

// The value callers hold for an open file, never 0 (a descriptor may be 0), and back.
uintptr_t FileToken(NativeFile file);
NativeFile FileFromToken(uintptr_t token);

// ---- Share modes, positions, lengths, byte-range locks and times of open files, as Windows has them.

// What other opens of the same file may do while this one is open. On POSIX the modes hold against every
// open in this process and against other processes that use this library; a process that does not is not
// held back.
// kAll also lets others delete or rename the file while it is open (Windows only; POSIX always does).
enum class FileShare : uInt8 { kNone, kRead, kReadWrite, kAll };

struct FileOpenRequest {
    FileAccess access = FileAccess::kRead;
    FileDisposition disposition = FileDisposition::kOpenExisting;
    FileShare share = FileShare::kAll;
    // Bypasses the system cache where the file system allows it (reads and writes must then be aligned);
    // elsewhere the file is opened cached.
    bool unbuffered = false;
};

// kNoFile on failure; an open that the share modes forbid fails with kWinSharingViolation and leaves the file
// as it was (an existing file is emptied only once the open is allowed).
NativeFile FileOpenShared(const char* utf8Path, const FileOpenRequest& request);

enum class FileOrigin : uInt8 { kBegin, kCurrent, kEnd };
// Moves the position (past the end is allowed) and gives the new one; a position before the start fails
// with kWinNegativeSeek and leaves the position alone.
bool FileSeek(NativeFile file, int64 offset, FileOrigin origin, int64* position);
bool FileLength(NativeFile file, int64* length);
// Ends the file at the current position (longer or shorter).
bool FileSetEndHere(NativeFile file);
// Writes the file's data and facts through to the device.
bool FileFlush(NativeFile file);

// An exclusive lock of count bytes from offset, owned by this open file: another open file's lock, read or
// write on an overlapping byte fails with kWinLockViolation (on POSIX: reads and writes through this
// library in this process; locks in every process that uses this library). A range overlapping any lock
// already held fails at once with kWinLockViolation too.
bool FileLockRange(NativeFile file, uInt64 offset, uInt64 count);
// Releases exactly a range locked before; kWinNotLocked when there is none.
bool FileUnlockRange(NativeFile file, uInt64 offset, uInt64 count);

struct FileTimes {
    TQFileTime creation;  // on POSIX the last status change, for want of a creation time
    TQFileTime lastWrite;
    bool readOnly;
};
bool FileGetTimes(NativeFile file, FileTimes* times);
// Null leaves that time alone. POSIX keeps no settable creation time: it is ignored there.
bool FileSetTimes(NativeFile file, const TQFileTime* creation, const TQFileTime* lastWrite);

}  // namespace tq::platform
