// POSIX memory probes: reading a byte that may be unmapped, and guard pages.
#include "platform/MemoryProbe.h"

#include <sys/syscall.h>

#include <cerrno>
#include <cstdint>

#include "platform/posix/Syscalls.h"

namespace tq::platform {

namespace {
size_t PageSize() {
    return size_t(sys::sysconf(_SC_PAGESIZE));
}

// The kernel copies for us and reports EFAULT instead of faulting. Raw system calls: sanitizer interceptors
// must not inspect the probed address themselves.
bool ReadThroughKernel(const void* address, uInt8* out, bool* unsupported) {
    iovec local{out, 1};
    iovec remote{const_cast<void*>(address), 1};
    const ssize_t n = sys::process_vm_readv(sys::getpid(), &local, 1, &remote, 1, 0);
    *unsupported = n < 0 && (errno == ENOSYS || errno == EPERM);
    return n == 1;
}

// Where process_vm_readv is refused (some sandboxes), a pipe write of the byte faults just as harmlessly.
bool ReadThroughPipe(const void* address, uInt8* out) {
    int fds[2];
    if (sys::pipe(fds) != 0) return false;
    const bool ok = sys::syscall(SYS_write, fds[1], reinterpret_cast<long>(address), 1) == 1 &&
                    sys::syscall(SYS_read, fds[0], reinterpret_cast<long>(out), 1) == 1;
    sys::close(fds[0]);
    sys::close(fds[1]);
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
    void* base = sys::mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) return nullptr;
    uInt8* second = static_cast<uInt8*>(base) + page;
    if (sys::mprotect(second, page, PROT_NONE) != 0) {
        sys::munmap(base, 2 * page);
        return nullptr;
    }
    return second - size;
}

void FreeBytesBeforeUnreadablePage(uInt8* bytes) {
    if (!bytes) return;
    const size_t page = PageSize();
    const uintptr_t base = reinterpret_cast<uintptr_t>(bytes) & ~uintptr_t(page - 1);
    sys::munmap(reinterpret_cast<void*>(base), 2 * page);
}

}  // namespace tq::platform
