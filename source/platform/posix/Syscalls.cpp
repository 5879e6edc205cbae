// POSIX only: the system-call table's entries and the fixed-signature forms of the variadic calls.
#include "platform/posix/Syscalls.h"

#include <sys/syscall.h>

#include <cerrno>

namespace tq::platform::sys {

int OpenWithMode(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}

int FcntlWithNumber(int fd, int command, int value) {
    return ::fcntl(fd, command, value);
}

int FcntlWithLock(int fd, int command, struct flock* lock) {
    return ::fcntl(fd, command, lock);
}

ssize_t RawProcessVmReadv(pid_t pid, const struct iovec* local, unsigned long localCount,
                          const struct iovec* remote, unsigned long remoteCount, unsigned long flags) {
    return ::syscall(SYS_process_vm_readv, long(pid), local, localCount, remote, remoteCount, flags);
}

long RawSyscall(long number, long a, long b, long c) {
    return ::syscall(number, a, b, c);
}

// Constant-initialised, so that calls made while other units are still being initialised find them ready.
#define TQ_DEFINE_SYSCALL(name, type, fn, failure, count) constinit SyscallEntry<type> name{fn};
TQ_POSIX_SYSCALLS(TQ_DEFINE_SYSCALL)
#undef TQ_DEFINE_SYSCALL

}  // namespace tq::platform::sys

namespace tq::platform {

namespace {
#define TQ_SLOT(name, type, fn, failure, count) SlotOf<sys::name, failure, count>(#name),
constexpr SyscallSlot kSlots[] = {TQ_POSIX_SYSCALLS(TQ_SLOT)};
#undef TQ_SLOT
}  // namespace

std::span<const SyscallSlot> OsSyscallSlots() {
    return kSlots;
}

void SetNativeError(int32 error) {
    errno = error;
}

}  // namespace tq::platform
