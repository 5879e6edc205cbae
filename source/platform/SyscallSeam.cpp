// The name-based test controls over the OS's system-call table, and the per-thread faults its stand-ins obey.
#include <cstring>

#include "platform/SyscallSeam.h"

namespace tq::platform {

namespace {

struct PendingFault {
    const SyscallSlot* slot = nullptr;
    SyscallFault fault;
    uInt32 calls = 0;
};

constexpr int kMaxPendingFaults = 8;

// Each thread's own: a stand-in consults the calling thread's faults only, so other threads pass untouched.
struct ThreadFaults {
    PendingFault pending[kMaxPendingFaults];
    int count = 0;
    uInt32 injected = 0;
};
thread_local ThreadFaults tFaults;

const SyscallSlot* Find(const char* name) {
    if (!name) return nullptr;
    for (const SyscallSlot& slot : OsSyscallSlots())
        if (std::strcmp(slot.name, name) == 0) return &slot;
    return nullptr;
}

FaultDecision Decide(PendingFault& p) {
    ++p.calls;
    const SyscallFault& f = p.fault;
    if (p.calls < f.nth || (f.times != 0 && p.calls - f.nth >= f.times)) return {};
    ++tFaults.injected;
    if (f.transferLimit >= 0) return {FaultDecision::kShorten, 0, uInt64(f.transferLimit)};
    return {FaultDecision::kFail, f.error, 0};
}

}  // namespace

FaultDecision DecideFault(const void* entry) {
    ThreadFaults& t = tFaults;
    for (int i = 0; i < t.count; ++i)
        if (t.pending[i].slot->entry == entry) return Decide(t.pending[i]);
    return {};
}

const char* SyscallName(uInt32 index) {
    const auto slots = OsSyscallSlots();
    return index < slots.size() ? slots[index].name : nullptr;
}

SyscallPointer CurrentSyscall(const char* name) {
    const SyscallSlot* slot = Find(name);
    return slot ? slot->current() : nullptr;
}

SyscallPointer DefaultSyscall(const char* name) {
    const SyscallSlot* slot = Find(name);
    return slot ? slot->original() : nullptr;
}

bool SetSyscallForTest(const char* name, SyscallPointer fn) {
    const SyscallSlot* slot = Find(name);
    if (!slot) return false;
    slot->replace(fn);
    return true;
}

void ResetSyscallsForTest() {
    for (const SyscallSlot& slot : OsSyscallSlots()) slot.replace(nullptr);
    tFaults = ThreadFaults{};
}

bool InjectSyscallFault(const char* name, const SyscallFault& fault) {
    const SyscallSlot* slot = Find(name);
    ThreadFaults& t = tFaults;
    if (!slot || !slot->canFail || (fault.transferLimit >= 0 && !slot->movesBytes) || fault.nth == 0)
        return false;
    // A second fault for the same entry replaces the first.
    int i = 0;
    while (i < t.count && t.pending[i].slot != slot) ++i;
    if (i == kMaxPendingFaults) return false;
    t.pending[i] = {slot, fault, 0};
    if (i == t.count) ++t.count;
    slot->replace(slot->withFaults());
    return true;
}

uInt32 InjectedSyscallFaults() {
    return tFaults.injected;
}

}  // namespace tq::platform
