// POSIX only: the process's table of open files with their share modes and byte-range locks, and the
// open-file-description locks that carry both to other processes.
#include "platform/posix/FileShares.h"

#include <atomic>
#include <cerrno>
#include <mutex>
#include <vector>

#include "platform/LastError.h"
#include "platform/posix/ErrnoMap.h"
#include "platform/posix/Syscalls.h"

namespace tq::platform::shares {

namespace {

// Share modes live on four bytes far beyond any data: a holder of an access byte reads or writes the file,
// a holder of a deny byte forbids others to. Holders take shared locks; a newcomer tests for any holder. The
// order puts the bytes of the usual modes side by side, so one call holds them.
constexpr off_t kShareBase = off_t(0x7FFFFFFF00000000);
enum ShareByte : int { kWriteAccess = 0, kReadAccess = 1, kDenyWrite = 2, kDenyRead = 3 };

struct Range {
    uInt64 offset;
    uInt64 count;
};

struct OpenFile {
    int fd;
    Identity id;
    bool reads;
    bool writes;
    bool sharesRead;
    bool sharesWrite;
    int lockFd;  // the descriptor holding the share-mode locks: fd, another of the file, or -1 for none
    std::vector<Range> ranges;
};

// Never destroyed: files may be closed while static objects are destroyed.
std::mutex& TableMutex() {
    static std::mutex* const mutex = new std::mutex;
    return *mutex;
}
std::vector<OpenFile>& Table() {
    static std::vector<OpenFile>* const table = new std::vector<OpenFile>;
    return *table;
}
std::atomic<size_t> gRangeLocks{0};

uInt64 EndOf(uInt64 offset, uInt64 count) {
    return count > UINT64_MAX - offset ? UINT64_MAX : offset + count;
}

bool Overlaps(const Range& r, uInt64 offset, uInt64 count) {
    return r.count && count && offset < EndOf(r.offset, r.count) && r.offset < EndOf(offset, count);
}

bool SameFile(const Identity& a, const Identity& b) {
    return a.device == b.device && a.inode == b.inode;
}

OpenFile* Find(int fd) {
    for (OpenFile& f : Table())
        if (f.fd == fd) return &f;
    return nullptr;
}

bool Conflicts(const OpenFile& held, const OpenFile& wanted) {
    return (wanted.reads && !held.sharesRead) || (wanted.writes && !held.sharesWrite) ||
           (held.reads && !wanted.sharesRead) || (held.writes && !wanted.sharesWrite);
}

bool InProcessConflict(const OpenFile& wanted) {
    for (const OpenFile& f : Table())
        if (SameFile(f.id, wanted.id) && Conflicts(f, wanted)) return true;
    return false;
}

// A lock of another open file description on the byte; a file system without locks holds none.
bool ShareByteHeld(int fd, ShareByte byte) {
    struct flock l = {};
    l.l_type = F_WRLCK;
    l.l_whence = SEEK_SET;
    l.l_start = kShareBase + byte;
    l.l_len = 1;
    return sys::fcntl_lock(fd, F_OFD_GETLK, &l) == 0 && l.l_type != F_UNLCK;
}

// Only the other processes' opens can be left once the table allowed this one.
bool CrossProcessConflict(const OpenFile& wanted) {
    return (wanted.reads && ShareByteHeld(wanted.fd, kDenyRead)) ||
           (wanted.writes && ShareByteHeld(wanted.fd, kDenyWrite)) ||
           (!wanted.sharesRead && ShareByteHeld(wanted.fd, kReadAccess)) ||
           (!wanted.sharesWrite && ShareByteHeld(wanted.fd, kWriteAccess));
}

// Best effort: where the file system refuses locks, only this process is held back.
void HoldShareBytes(int lockFd, int first, int count) {
    struct flock l = {};
    l.l_type = F_RDLCK;
    l.l_whence = SEEK_SET;
    l.l_start = kShareBase + first;
    l.l_len = count;
    sys::fcntl_lock(lockFd, F_OFD_SETLK, &l);
}

// A shared lock needs a readable descriptor: a write-only open holds its locks through a read-only one.
int LockDescriptor(const OpenFile& f, const char* path) {
    if (f.reads) return f.fd;
    if (!path) return -1;
    int aux = sys::open(path, O_RDONLY | O_CLOEXEC, 0);
    while (aux < 0 && errno == EINTR) aux = sys::open(path, O_RDONLY | O_CLOEXEC, 0);
    return aux;
}

// One lock call for each run of neighbouring bytes.
void HoldShareBytes(const OpenFile& f) {
    if (f.lockFd < 0) return;
    bool held[4] = {};
    held[kWriteAccess] = f.writes;
    held[kReadAccess] = f.reads;
    held[kDenyWrite] = !f.sharesWrite;
    held[kDenyRead] = !f.sharesRead;
    for (int first = 0; first < 4;) {
        int end = first;
        while (end < 4 && held[end]) ++end;
        if (end > first) HoldShareBytes(f.lockFd, first, end - first);
        first = end + 1;
    }
}

bool Fail(uInt32 win32Error) {
    SetLastError(win32Error);
    return false;
}

// The other processes' locks: a conflict is a lock violation; a file system without locks, none.
bool LockAcrossProcesses(const OpenFile& f, uInt64 offset, uInt64 count, short type) {
    if (count == 0) return true;
    if (offset > uInt64(INT64_MAX) || count > uInt64(INT64_MAX) - offset) return Fail(kWinInvalidParameter);
    struct flock l = {};
    l.l_type = type;
    l.l_whence = SEEK_SET;
    l.l_start = off_t(offset);
    l.l_len = off_t(count);
    if (type != F_UNLCK) l.l_type = f.writes ? F_WRLCK : F_RDLCK;
    if (sys::fcntl_lock(f.fd, F_OFD_SETLK, &l) == 0) return true;
    const int err = errno;
    if (err == EAGAIN || err == EACCES) return Fail(kWinLockViolation);
    if (err == ENOLCK || err == EINVAL || err == EOPNOTSUPP) return true;
    SetLastErrorFromErrno(err);
    return false;
}

}  // namespace

bool Register(int fd, const Identity& id, FileAccess access, FileShare share, const char* path) {
    OpenFile f{fd,
               id,
               access != FileAccess::kWrite,
               access != FileAccess::kRead,
               share != FileShare::kNone,
               share == FileShare::kReadWrite || share == FileShare::kAll,
               -1,
               {}};
    std::lock_guard<std::mutex> guard(TableMutex());
    if (InProcessConflict(f) || CrossProcessConflict(f)) return Fail(kWinSharingViolation);
    f.lockFd = LockDescriptor(f, path);
    HoldShareBytes(f);
    try {
        Table().push_back(std::move(f));
    } catch (const std::bad_alloc&) {
        if (f.lockFd >= 0 && f.lockFd != fd) sys::close(f.lockFd);
        return Fail(kWinNotEnoughMemory);
    }
    return true;
}

void Unregister(int fd) {
    std::lock_guard<std::mutex> guard(TableMutex());
    std::vector<OpenFile>& table = Table();
    for (size_t i = 0; i < table.size(); ++i) {
        if (table[i].fd != fd) continue;
        gRangeLocks.fetch_sub(table[i].ranges.size(), std::memory_order_relaxed);
        if (table[i].lockFd >= 0 && table[i].lockFd != fd) sys::close(table[i].lockFd);
        table[i] = std::move(table.back());
        table.pop_back();
        return;
    }
}

bool LockRange(int fd, uInt64 offset, uInt64 count) {
    std::lock_guard<std::mutex> guard(TableMutex());
    OpenFile* self = Find(fd);
    if (!self) return Fail(kWinInvalidHandle);
    for (const OpenFile& f : Table()) {
        if (!SameFile(f.id, self->id)) continue;
        for (const Range& r : f.ranges)
            if (Overlaps(r, offset, count)) return Fail(kWinLockViolation);
    }
    try {
        self->ranges.reserve(self->ranges.size() + 1);
    } catch (const std::bad_alloc&) {
        return Fail(kWinNotEnoughMemory);
    }
    if (!LockAcrossProcesses(*self, offset, count, F_WRLCK)) return false;
    self->ranges.push_back({offset, count});
    gRangeLocks.fetch_add(1, std::memory_order_relaxed);
    return true;
}

bool UnlockRange(int fd, uInt64 offset, uInt64 count) {
    std::lock_guard<std::mutex> guard(TableMutex());
    OpenFile* self = Find(fd);
    if (!self) return Fail(kWinInvalidHandle);
    for (size_t i = 0; i < self->ranges.size(); ++i) {
        const Range r = self->ranges[i];
        if (r.offset != offset || r.count != count) continue;
        if (!LockAcrossProcesses(*self, offset, count, F_UNLCK)) return false;
        self->ranges.erase(self->ranges.begin() + ptrdiff_t(i));
        gRangeLocks.fetch_sub(1, std::memory_order_relaxed);
        return true;
    }
    return Fail(kWinNotLocked);
}

bool MayTransfer(int fd, uInt64 offset, uInt64 count) {
    std::lock_guard<std::mutex> guard(TableMutex());
    const OpenFile* self = Find(fd);
    if (!self) return true;
    for (const OpenFile& f : Table()) {
        if (f.fd == fd || !SameFile(f.id, self->id)) continue;
        for (const Range& r : f.ranges)
            if (Overlaps(r, offset, count)) return Fail(kWinLockViolation);
    }
    return true;
}

bool AnyRangeLocked() {
    return gRangeLocks.load(std::memory_order_relaxed) != 0;
}

}  // namespace tq::platform::shares
