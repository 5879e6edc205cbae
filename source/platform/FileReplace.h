// Replacing a file by a complete new one so that a crash at any moment leaves the old file or the new one,
// whole: the caller flushes the new content to the device first, and the replace itself is made durable here.
// Failures leave a Win32 error number in the last error (platform/LastError.h).
#pragma once

namespace tq::platform {

// Moves the file at from over the one at to (which may be missing) in one step, and makes the move itself
// durable: the folder is flushed on POSIX, the move is written through on Windows.
bool FileReplaceDurably(const char* fromUtf8, const char* toUtf8);

}  // namespace tq::platform
