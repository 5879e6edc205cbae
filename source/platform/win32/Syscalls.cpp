// Windows only: the file-call table's entries.
#include "platform/win32/Syscalls.h"

namespace tq::platform::sys {

// Constant-initialised, so that calls made while other units are still being initialised find them ready.
#define TQ_DEFINE_SYSCALL(name, failure, count) constinit SyscallEntry<decltype(::name)> name{::name};
TQ_WIN32_SYSCALLS(TQ_DEFINE_SYSCALL)
#undef TQ_DEFINE_SYSCALL

}  // namespace tq::platform::sys

namespace tq::platform {

namespace {
#define TQ_SLOT(name, failure, count) SlotOf<sys::name, failure, count>(#name),
constexpr SyscallSlot kSlots[] = {TQ_WIN32_SYSCALLS(TQ_SLOT)};
#undef TQ_SLOT
}  // namespace

std::span<const SyscallSlot> OsSyscallSlots() {
    return kSlots;
}

void SetNativeError(int32 error) {
    ::SetLastError(DWORD(error));
}

}  // namespace tq::platform
