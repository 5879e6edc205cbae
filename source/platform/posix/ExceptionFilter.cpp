// POSIX outermost exception filter: fatal signals on an alternate stack.
#include "platform/ExceptionFilter.h"

#include <signal.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>

#include "platform/posix/Syscalls.h"

namespace tq::platform {

namespace {
std::atomic<ExceptionFilter> gFilter{nullptr};
struct sigaction gPreviousSegv, gPreviousBus;
std::atomic<bool> gInstalled{false};
constexpr size_t kSpareStackSize = 64 * 1024;
// A fault this close below or above the stack pointer is the stack running out.
constexpr uintptr_t kStackFaultReach = 64 * 1024;

uintptr_t StackPointer(const void* context) {
    const auto* uc = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
    return uintptr_t(uc->uc_mcontext.gregs[REG_RSP]);
#elif defined(__aarch64__)
    return uintptr_t(uc->uc_mcontext.sp);
#else
    (void)uc;
    return 0;
#endif
}

uInt32 FaultCode(const siginfo_t* info, const void* context) {
    const uintptr_t sp = StackPointer(context);
    const uintptr_t addr = uintptr_t(info->si_addr);
    const uintptr_t distance = addr > sp ? addr - sp : sp - addr;
    return sp && distance < kStackFaultReach ? kExceptionStackOverflow : kExceptionAccessViolation;
}

void OnFault(int sig, siginfo_t* info, void* context) {
    const ExceptionFilter filter = gFilter.load();
    const uInt32 code = FaultCode(info, context);
    if (filter && filter(int32(code)) == 1) ::_exit(int(code));
    // Declined: put back what was there and let the faulting instruction run again into it.
    sys::sigaction(sig, sig == SIGSEGV ? &gPreviousSegv : &gPreviousBus, nullptr);
}

// One spare stack per thread, kept for the thread's life: the handler may run on it at any time.
struct SpareStack {
    void* memory = nullptr;
    void Attach() {
        // A spare stack someone else set (a sanitizer's, say) serves the handler as well and stays theirs.
        stack_t current = {};
        if (memory || (sys::sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE))) return;
        if (!(memory = std::malloc(kSpareStackSize))) return;
        stack_t stack = {};
        stack.ss_sp = memory;
        stack.ss_size = kSpareStackSize;
        sys::sigaltstack(&stack, nullptr);
    }
    ~SpareStack() {
        if (!memory) return;
        stack_t off = {};
        off.ss_flags = SS_DISABLE;
        sys::sigaltstack(&off, nullptr);
        std::free(memory);
    }
};

void Install() {
    struct sigaction action = {};
    action.sa_sigaction = OnFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    sys::sigaction(SIGSEGV, &action, &gPreviousSegv);
    sys::sigaction(SIGBUS, &action, &gPreviousBus);
}

void Uninstall() {
    sys::sigaction(SIGSEGV, &gPreviousSegv, nullptr);
    sys::sigaction(SIGBUS, &gPreviousBus, nullptr);
}
}  // namespace

void SetOutermostExceptionFilter(ExceptionFilter filter) {
    gFilter.store(filter);
    if (filter && !gInstalled.exchange(true)) {
        PrepareThreadForExceptionFilter();
        Install();
    } else if (!filter && gInstalled.exchange(false)) {
        Uninstall();
    }
}

void PrepareThreadForExceptionFilter() {
    thread_local SpareStack spare;
    spare.Attach();
}

}  // namespace tq::platform
