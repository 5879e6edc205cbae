// POSIX only: Windows' share modes and byte-range locks for descriptors. A process-wide table of the open
// files, keyed by device and inode, holds them within the process; open-file-description locks hold them
// against other processes that use the library: share modes on bytes reserved far beyond any data, byte
// ranges on the bytes themselves.
#pragma once

#include <sys/types.h>

#include <cstdint>

#include "platform/File.h"

namespace tq::platform::shares {

struct Identity {
    dev_t device;
    ino_t inode;
};

// Registers fd (opened with that access) under the share mode; false with kWinSharingViolation (or the
// error of a failed call) when another open forbids it. path reopens the file read-only where the
// descriptor cannot hold the cross-process locks itself (a write-only open).
bool Register(int fd, const Identity& id, FileAccess access, FileShare share, const char* path);
// Forgets fd and what it holds; before the descriptor closes.
void Unregister(int fd);

bool LockRange(int fd, uInt64 offset, uInt64 count);
bool UnlockRange(int fd, uInt64 offset, uInt64 count);
// False with kWinLockViolation when another open file of the same file holds a lock on a byte of the range.
bool MayTransfer(int fd, uInt64 offset, uInt64 count);
// Whether any byte-range lock is held in the process: reads and writes skip the check when none is.
bool AnyRangeLocked();

}  // namespace tq::platform::shares
