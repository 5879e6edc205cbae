// POSIX memory probes: reading a byte that may be unmapped, and guard pages.
#include "platform/MemoryProbe.h"

#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <unistd.h>
#include <cerrno>
#include <cstdint>

namespace tq::platform {

namespace {
size_t PageSize() {
    return size_t(::sysconf(_SC_PAGESIZE));
}

// The kernel copies for us and reports EFAULT instead of faulting. Raw system calls: sanitizer interceptors
// must not inspect the probed address themselves.
bool ReadThroughKernel(const void* address, uInt8* out, bool* unsupported) {
    iovec local{out, 1};
    iovec remote{const_cast<void*>(address), 1};
    const long n = ::syscall(SYS_process_vm_readv, long(::getpid()), &local, 1L, &remote, 1L, 0L);
    *unsupported = n < 0 && (errno == ENOSYS || errno == EPERM);
    return n == 1;
}

// Where process_vm_readv is refused (some sandboxes), a pipe write of the byte faults just as harmlessly.
bool ReadThroughPipe(const void* address, uInt8* out) {
    int fds[2];
    if (::pipe(fds) != 0) return false;
    const bool ok =
        ::syscall(SYS_write, fds[1], address, 1L) == 1 && ::syscall(SYS_read, fds[0], out, 1L) == 1;
    ::close(fds[0]);
    ::close(fds[1]);
    return ok;
}
}  // namespace

bool ReadOwnMemoryByte(const void* address, uInt8* out) {
    if (!out) return false;
    bool unsupported = false;
    if (ReadThroughKernel(address, out, &unsupported)) return true;
    return unsupported && ReadThroughPipe(address, out);
}

uInt8* AllocateBytesBeforeUnreadablePage(size_t size) {
    const size_t page = PageSize();
    if (size == 0 || size > page) return nullptr;
    void* base = ::mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) return nullptr;
    uInt8* second = static_cast<uInt8*>(base) + page;
    if (::mprotect(second, page, PROT_NONE) != 0) {
        ::munmap(base, 2 * page);
        return nullptr;
    }
    return second - size;
}

void FreeBytesBeforeUnreadablePage(uInt8* bytes) {
    if (!bytes) return;
    const size_t page = PageSize();
    const uintptr_t base = reinterpret_cast<uintptr_t>(bytes) & ~uintptr_t(page - 1);
    ::munmap(reinterpret_cast<void*>(base), 2 * page);
}

}  // namespace tq::platform
