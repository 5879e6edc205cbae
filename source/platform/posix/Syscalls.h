// POSIX only: the one table of system calls the POSIX units make. Each unit calls sys::read(...) and the like
// instead of ::read(...), so a test can replace a call or make its Nth call fail (platform/Syscalls.h).
// Listed are the calls that reach the kernel or can fail; pure library work (the heap, case tables, the
// floating-point environment) and the calls that cannot fail in correct use (mutex lock and unlock, condition
// waits, _exit) stay direct.
#pragma once

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <iconv.h>
#include <locale.h>
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/random.h>
#include <sys/resource.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/uio.h>
#include <sys/utsname.h>
#include <time.h>
#include <unistd.h>

#include "platform/SyscallSeam.h"

// X(name, type, default function, failure value, byte-count argument). The failure value is what an injected
// failure returns with errno set; kReturnsError for calls that return their error number.
#define TQ_POSIX_SYSCALLS(X)                                                                                 \
    /* Files and folders. */                                                                                 \
    X(open, int(const char*, int, mode_t), OpenWithMode, -1, kNoCount)                                       \
    X(read, ssize_t(int, void*, size_t), ::read, -1, 2)                                                      \
    X(write, ssize_t(int, const void*, size_t), ::write, -1, 2)                                              \
    X(pread, ssize_t(int, void*, size_t, off_t), ::pread, -1, 2)                                             \
    X(pwrite, ssize_t(int, const void*, size_t, off_t), ::pwrite, -1, 2)                                     \
    X(close, int(int), ::close, -1, kNoCount)                                                                \
    X(lseek, off_t(int, off_t, int), ::lseek, -1, kNoCount)                                                  \
    X(ftruncate, int(int, off_t), ::ftruncate, -1, kNoCount)                                                 \
    X(fsync, int(int), ::fsync, -1, kNoCount)                                                                \
    X(fdatasync, int(int), ::fdatasync, -1, kNoCount)                                                        \
    X(fstat, int(int, struct stat*), ::fstat, -1, kNoCount)                                                  \
    X(stat, int(const char*, struct stat*), ::stat, -1, kNoCount)                                            \
    X(lstat, int(const char*, struct stat*), ::lstat, -1, kNoCount)                                          \
    X(fcntl, int(int, int, int), FcntlWithNumber, -1, kNoCount)                                              \
    X(fcntl_lock, int(int, int, struct flock*), FcntlWithLock, -1, kNoCount)                                 \
    X(flock, int(int, int), ::flock, -1, kNoCount)                                                           \
    X(rename, int(const char*, const char*), ::rename, -1, kNoCount)                                         \
    X(link, int(const char*, const char*), ::link, -1, kNoCount)                                             \
    X(symlink, int(const char*, const char*), ::symlink, -1, kNoCount)                                       \
    X(readlink, ssize_t(const char*, char*, size_t), ::readlink, -1, kNoCount)                               \
    X(unlink, int(const char*), ::unlink, -1, kNoCount)                                                      \
    X(mkdir, int(const char*, mode_t), ::mkdir, -1, kNoCount)                                                \
    X(rmdir, int(const char*), ::rmdir, -1, kNoCount)                                                        \
    X(chmod, int(const char*, mode_t), ::chmod, -1, kNoCount)                                                \
    X(fchmod, int(int, mode_t), ::fchmod, -1, kNoCount)                                                      \
    X(utimensat, int(int, const char*, const struct timespec*, int), ::utimensat, -1, kNoCount)              \
    X(access, int(const char*, int), ::access, -1, kNoCount)                                                 \
    X(statvfs, int(const char*, struct statvfs*), ::statvfs, -1, kNoCount)                                   \
    X(realpath, char*(const char*, char*), ::realpath, 0, kNoCount)                                          \
    X(getcwd, char*(char*, size_t), ::getcwd, 0, kNoCount)                                                   \
    X(chdir, int(const char*), ::chdir, -1, kNoCount)                                                        \
    X(umask, mode_t(mode_t), ::umask, kCannotFail, kNoCount)                                                 \
    X(opendir, DIR*(const char*), ::opendir, 0, kNoCount)                                                    \
    X(readdir, struct dirent*(DIR*), ::readdir, 0, kNoCount)                                                 \
    X(closedir, int(DIR*), ::closedir, -1, kNoCount)                                                         \
    X(pipe, int(int*), ::pipe, -1, kNoCount)                                                                 \
    /* Memory. */                                                                                            \
    X(mmap, void*(void*, size_t, int, int, int, off_t), ::mmap, -1, kNoCount)                                \
    X(munmap, int(void*, size_t), ::munmap, -1, kNoCount)                                                    \
    X(mprotect, int(void*, size_t, int), ::mprotect, -1, kNoCount)                                           \
    X(process_vm_readv,                                                                                      \
      ssize_t(pid_t, const struct iovec*, unsigned long, const struct iovec*, unsigned long, unsigned long), \
      RawProcessVmReadv, -1, kNoCount)                                                                       \
    /* Raw calls, which no sanitizer interceptor sees: the number and up to three arguments. */              \
    X(syscall, long(long, long, long, long), RawSyscall, -1, kNoCount)                                       \
    /* Modules. */                                                                                           \
    X(dlopen, void*(const char*, int), ::dlopen, 0, kNoCount)                                                \
    X(dlsym, void*(void*, const char*), ::dlsym, 0, kNoCount)                                                \
    X(dladdr, int(const void*, Dl_info*), ::dladdr, 0, kNoCount)                                             \
    X(dladdr1, int(const void*, Dl_info*, void**, int), ::dladdr1, 0, kNoCount)                              \
    X(dlinfo, int(void*, int, void*), ::dlinfo, -1, kNoCount)                                                \
    /* Time. */                                                                                              \
    X(clock_gettime, int(clockid_t, struct timespec*), ::clock_gettime, -1, kNoCount)                        \
    X(nanosleep, int(const struct timespec*, struct timespec*), ::nanosleep, -1, kNoCount)                   \
    /* Threads and their storage. */                                                                         \
    X(pthread_create, int(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*), ::pthread_create,     \
      kReturnsError, kNoCount)                                                                               \
    X(pthread_getattr_np, int(pthread_t, pthread_attr_t*), ::pthread_getattr_np, kReturnsError, kNoCount)    \
    X(pthread_key_create, int(pthread_key_t*, void (*)(void*)), ::pthread_key_create, kReturnsError,         \
      kNoCount)                                                                                              \
    X(pthread_key_delete, int(pthread_key_t), ::pthread_key_delete, kReturnsError, kNoCount)                 \
    X(pthread_setspecific, int(pthread_key_t, const void*), ::pthread_setspecific, kReturnsError, kNoCount)  \
    X(pthread_mutex_init, int(pthread_mutex_t*, const pthread_mutexattr_t*), ::pthread_mutex_init,           \
      kReturnsError, kNoCount)                                                                               \
    X(pthread_rwlock_init, int(pthread_rwlock_t*, const pthread_rwlockattr_t*), ::pthread_rwlock_init,       \
      kReturnsError, kNoCount)                                                                               \
    X(pthread_cond_init, int(pthread_cond_t*, const pthread_condattr_t*), ::pthread_cond_init,               \
      kReturnsError, kNoCount)                                                                               \
    X(getpriority, int(int, id_t), ::getpriority, -1, kNoCount)                                              \
    X(setpriority, int(int, id_t, int), ::setpriority, -1, kNoCount)                                         \
    /* Signals. */                                                                                           \
    X(sigaction, int(int, const struct sigaction*, struct sigaction*), ::sigaction, -1, kNoCount)            \
    X(sigaltstack, int(const stack_t*, stack_t*), ::sigaltstack, -1, kNoCount)                               \
    X(raise, int(int), ::raise, -1, kNoCount)                                                                \
    /* The system and its text conversion. */                                                                \
    X(getpid, pid_t(), ::getpid, kCannotFail, kNoCount)                                                      \
    X(sysconf, long(int), ::sysconf, -1, kNoCount)                                                           \
    X(uname, int(struct utsname*), ::uname, -1, kNoCount)                                                    \
    X(getrandom, ssize_t(void*, size_t, unsigned int), ::getrandom, -1, 1)                                   \
    X(iconv_open, iconv_t(const char*, const char*), ::iconv_open, -1, kNoCount)                             \
    X(iconv, size_t(iconv_t, char**, size_t*, char**, size_t*), ::iconv, -1, kNoCount)                       \
    X(iconv_close, int(iconv_t), ::iconv_close, -1, kNoCount)                                                \
    X(newlocale, locale_t(int, const char*, locale_t), ::newlocale, 0, kNoCount)                             \
    /* Open files, by descriptor. */                                                                         \
    X(futimens, int(int, const struct timespec*), ::futimens, -1, kNoCount)                                  \
    /* Names in the file system: status, copies, moves, times, owners. */                                    \
    X(statx, int(int, const char*, int, unsigned, struct statx*), ::statx, -1, kNoCount)                     \
    X(renameat2, int(int, const char*, int, const char*, unsigned), ::renameat2, -1, kNoCount)               \
    X(copy_file_range, ssize_t(int, off_t*, int, off_t*, size_t, unsigned), ::copy_file_range, -1, 4)        \
    X(sendfile, ssize_t(int, int, off_t*, size_t), ::sendfile, -1, 3)                                        \
    X(getuid, uid_t(), ::getuid, kCannotFail, kNoCount)

namespace tq::platform::sys {

// One fixed signature for the calls whose C declaration is variadic.
int OpenWithMode(const char* path, int flags, mode_t mode);
int FcntlWithNumber(int fd, int command, int value);
int FcntlWithLock(int fd, int command, struct flock* lock);
ssize_t RawProcessVmReadv(pid_t pid, const struct iovec* local, unsigned long localCount,
                          const struct iovec* remote, unsigned long remoteCount, unsigned long flags);
long RawSyscall(long number, long a, long b, long c);

#define TQ_DECLARE_SYSCALL(name, type, fn, failure, count) extern SyscallEntry<type> name;
TQ_POSIX_SYSCALLS(TQ_DECLARE_SYSCALL)
#undef TQ_DECLARE_SYSCALL

}  // namespace tq::platform::sys
