// The file manager's functions on open files: opening and creating by path, reading, writing, positions,
// lengths, flushing and byte-range locks.
#include <string>

#include "diagnostics/Report.h"
#include "files/OsPathName.h"
#include "files/PathSupport.h"
#include "platform/File.h"
#include "platform/LastError.h"
#include "platform/Thread.h"
#include "tqcore/core.h"
#include "tqcore/files.h"

#define TQ_UNIT "source\\FileManager"

namespace {

using tq::platform::FileAccess;
using tq::platform::FileDisposition;
using tq::platform::FileOpenRequest;
using tq::platform::FileOrigin;
using tq::platform::FileShare;
using tq::platform::NativeFile;

constexpr int32 kOpenAttempts = 3;
constexpr uInt32 kSharingRetryMs = 50;

bool ValidModes(int32 openMode, int32 denyMode) {
    return openMode >= kOpenReadWrite && openMode <= kOpenWriteTruncateUnbuffered &&
           denyMode >= kDenyReadWrite && denyMode <= kDenyNone;
}

FileOpenRequest RequestFor(int32 openMode, int32 denyMode, FileDisposition disposition) {
    static constexpr FileAccess kAccess[] = {FileAccess::kReadWrite, FileAccess::kRead, FileAccess::kWrite,
                                             FileAccess::kWrite};
    static constexpr FileShare kShare[] = {FileShare::kNone, FileShare::kRead, FileShare::kReadWrite};
    FileOpenRequest r;
    r.access = kAccess[openMode % 4];
    r.disposition = disposition;
    r.share = kShare[denyMode];
    r.unbuffered = openMode >= kOpenReadWriteUnbuffered;
    return r;
}

// The name of a file to open or create: a volume (one item) is no file. Opening for writing may change the
// file, so the path's cached facts go first.
TqErr FileName(Path p, bool writing, std::string& name) {
    if (writing) tq::files::FlushDestination(p);
    if (p && p->ItemCount() == 1) return kErrArgument;
    return tq::files::OsPathName(p, true, name);
}

// Opens, trying again while another open holds the file without sharing.
TqErr OpenWithRetry(File* fd, const std::string& name, const FileOpenRequest& request) {
    for (int32 attempt = 1;; ++attempt) {
        const NativeFile file = tq::platform::FileOpenShared(name.c_str(), request);
        if (file != tq::platform::kNoFile) {
            *fd = tq::platform::FileToken(file);
            return kErrNone;
        }
        if (tq::platform::GetLastError() != tq::platform::kWinSharingViolation || attempt == kOpenAttempts)
            return Win32ToPKFileErr();
        tq::platform::SleepMs(kSharingRetryMs);
    }
}

NativeFile Native(File fd) {
    return tq::platform::FileFromToken(fd);
}

TqErr Mapped(bool ok) {
    return ok ? kErrNone : Win32ToPKFileErr();
}

FileOrigin OriginOf(int32 mode) {
    return mode == kSeekFromEnd       ? FileOrigin::kEnd
           : mode == kSeekFromCurrent ? FileOrigin::kCurrent
                                      : FileOrigin::kBegin;
}

// What a failed write leaves: the bytes it appended are taken back and the position returns to where the
// write began. Bytes it overwrote inside the old length stay overwritten.
void UndoPartialWrite(NativeFile file, int32 written) {
    int64 start = 0, length = 0, at = 0;
    if (!tq::platform::FileSeek(file, -int64(written), FileOrigin::kCurrent, &start)) return;
    if (tq::platform::FileLength(file, &length) && length == start + written &&
        tq::platform::FileSeek(file, start, FileOrigin::kBegin, &at))
        tq::platform::FileSetEndHere(file);
    tq::platform::FileSeek(file, start, FileOrigin::kBegin, &at);
}

TqErr WriteAll(NativeFile file, int32 count, int32* actual, const uChar* buf) {
    int32 total = 0;
    while (total < count) {
        uInt32 done = 0;
        const bool ok = tq::platform::FileWrite(file, buf + total, uInt32(count - total), &done);
        if (!ok || done == 0) {
            // Nothing taken and no error: the device has no room.
            if (ok) tq::platform::SetLastError(tq::platform::kWinDiskFull);
            const TqErr err = Win32ToPKFileErr();
            if (total > 0) UndoPartialWrite(file, total);
            return err;
        }
        total += int32(done);
    }
    if (actual) *actual = total;
    return kErrNone;
}

}  // namespace

TqErr FMOpen(File* fd, Path p, int32 openMode, int32 denyMode) {
    if (!fd) return kErrArgument;
    *fd = 0;
    if (!ValidModes(openMode, denyMode)) return kErrArgument;
    std::string name;
    if (const TqErr err = FileName(p, openMode % 4 != kOpenRead, name)) return err;
    const FileDisposition disposition =
        openMode == kOpenWriteTruncate ? FileDisposition::kTruncateExisting : FileDisposition::kOpenExisting;
    return OpenWithRetry(fd, name, RequestFor(openMode, denyMode, disposition));
}

TqErr FGenericCreate(File* fd, Path p, int32 /*permissions*/, int32 openMode, int32 denyMode, PStr /*group*/,
                     int32 always) {
    if (!fd) return kErrArgument;
    *fd = 0;
    if (!ValidModes(openMode, denyMode)) return kErrArgument;
    std::string name;
    if (const TqErr err = FileName(p, true, name)) return err;
    const FileDisposition disposition = always ? FileDisposition::kCreateAlways : FileDisposition::kCreateNew;
    return OpenWithRetry(fd, name, RequestFor(openMode, denyMode, disposition));
}

TqErr FCreate(File* fd, Path p, int32 permissions, int32 openMode, int32 denyMode, PStr group) {
    return FGenericCreate(fd, p, permissions, openMode, denyMode, group, 0);
}

TqErr FCreateAlways(File* fd, Path p, int32 permissions, int32 openMode, int32 denyMode, PStr group) {
    return FGenericCreate(fd, p, permissions, openMode, denyMode, group, 1);
}

TqErr FMClose(File fd) {
    if (!fd) return kErrArgument;
    return Mapped(tq::platform::FileClose(Native(fd)));
}

TqErr FMRead(File fd, int32 count, int32* actual, UPtr buf) {
    if (actual) *actual = 0;
    if (!fd || count < 0 || (!buf && count > 0)) return kErrArgument;
    int32 total = 0;
    TqErr err = kErrNone;
    while (total < count) {
        uInt32 done = 0;
        if (!tq::platform::FileRead(Native(fd), buf + total, uInt32(count - total), &done)) {
            err = Win32ToPKFileErr();
            break;
        }
        if (done == 0) {
            err = kErrEndOfFile;
            break;
        }
        total += int32(done);
    }
    if (actual) *actual = total;
    return err;
}

TqErr FMWrite(File fd, int32 count, int32* actual, UPtr buf) {
    if (actual) *actual = 0;
    if (!fd || count < 0 || (!buf && count > 0)) return kErrArgument;
    if (count == 0) return kErrNone;
    return WriteAll(Native(fd), count, actual, buf);
}

TqErr FMWriteEOL(File fd) {
    uChar eol[2] = {'\r', '\n'};
    return FMWrite(fd, 2, nullptr, eol);
}

TqErr FMSeek(File fd, int32 offset, int32 mode) {
    return FMSeek64(fd, offset, mode);
}

TqErr FMSeek64(File fd, int64 offset, int32 mode) {
    if (!fd) return kErrArgument;
    if (offset == 0 && mode == kSeekFromCurrent) return kErrNone;
    if (mode < kSeekFromStart || mode > kSeekFromCurrent) {
        TQ_REPORT(kDbgError, "FMSeek: Unknown mode (", mode, ")");
        mode = kSeekFromStart;
    }
    const NativeFile file = Native(fd);
    int64 length = 0, at = 0;
    if (!tq::platform::FileLength(file, &length)) return Win32ToPKFileErr();
    if (!tq::platform::FileSeek(file, offset, OriginOf(mode), &at)) {
        if (tq::platform::GetLastError() != tq::platform::kWinNegativeSeek) return Win32ToPKFileErr();
        tq::platform::FileSeek(file, 0, FileOrigin::kBegin, &at);
        return kErrEndOfFile;
    }
    if (at <= length) return kErrNone;
    tq::platform::FileSeek(file, 0, FileOrigin::kEnd, &at);
    return kErrEndOfFile;
}

TqErr FMTell64(File fd, int64* pos) {
    if (!fd || !pos) return kErrArgument;
    return Mapped(tq::platform::FileSeek(Native(fd), 0, FileOrigin::kCurrent, pos));
}

// A position or length past 32 bits does not fit the 32-bit forms: 1.
TqErr FMTell(File fd, int32* pos) {
    if (!pos) return kErrArgument;
    int64 at = 0;
    if (const TqErr err = FMTell64(fd, &at)) return err;
    if (at > INT32_MAX) return kErrArgument;
    *pos = int32(at);
    return kErrNone;
}

TqErr FGetEOF64(File fd, int64* size) {
    if (!fd || !size) return kErrArgument;
    return Mapped(tq::platform::FileLength(Native(fd), size));
}

TqErr FGetEOF(File fd, int32* size) {
    if (!size) return kErrArgument;
    int64 length = 0;
    if (const TqErr err = FGetEOF64(fd, &length)) return err;
    if (length > INT32_MAX) return kErrArgument;
    *size = int32(length);
    return kErrNone;
}

TqErr FSetEOF(File fd, int32 size) {
    return FSetEOF64(fd, size);
}

TqErr FSetEOF64(File fd, int64 size) {
    if (!fd || size < 0) return kErrArgument;
    const NativeFile file = Native(fd);
    int64 before = 0, at = 0;
    if (!tq::platform::FileSeek(file, 0, FileOrigin::kCurrent, &before)) return Win32ToPKFileErr();
    if (!tq::platform::FileSeek(file, size, FileOrigin::kBegin, &at) || !tq::platform::FileSetEndHere(file)) {
        const TqErr err = Win32ToPKFileErr();
        tq::platform::FileSeek(file, before, FileOrigin::kBegin, &at);
        return err;
    }
    if (before < size && !tq::platform::FileSeek(file, before, FileOrigin::kBegin, &at))
        return Win32ToPKFileErr();
    return kErrNone;
}

TqErr FFlush(File fd) {
    if (!fd) return kErrArgument;
    return Mapped(tq::platform::FileFlush(Native(fd)));
}

TqErr FLockOrUnlockRange(File fd, int32 mode, int32 offset, int32 count, int32 lock) {
    if (!fd || mode < kSeekFromStart || mode > kSeekFromCurrent) return kErrArgument;
    const NativeFile file = Native(fd);
    int64 base = 0;
    if (mode == kSeekFromEnd && !tq::platform::FileLength(file, &base)) return Win32ToPKFileErr();
    if (mode == kSeekFromCurrent && !tq::platform::FileSeek(file, 0, FileOrigin::kCurrent, &base))
        return Win32ToPKFileErr();
    // The offsets' high halves are 0: the start and the count are 32-bit.
    const uInt64 start = uInt32(base + offset);
    const uInt64 bytes = uInt32(count);
    return Mapped(lock ? tq::platform::FileLockRange(file, start, bytes)
                       : tq::platform::FileUnlockRange(file, start, bytes));
}
