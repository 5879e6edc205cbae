// The thread-group table: preallocated and dynamic groups, the free stack and wake-up procedures.
#include "occurrences/ThreadGroupManager.h"

#include "diagnostics/Report.h"

#define TQ_UNIT "source\\ThreadGroupManager"

namespace tq::occurrences {

ThreadGroupManager::ThreadGroupManager() {
    Reset();
}

void ThreadGroupManager::Reset() {
    for (uInt32 i = 0; i < kThMaxThreads; ++i) map_[i] = i;
    for (uInt32 g = 0; g < kOccThreadSafeGroup; ++g) {
        free_[g] = g >= kOccFirstDynamicGroup;
        wake_[g] = {nullptr, nullptr};
    }
    // The stack's top is its end: 6120 is taken first, then 6121 and so on.
    freeCount_ = kDynamicGroups;
    for (uInt32 i = 0; i < kDynamicGroups; ++i) freeStack_[i] = kOccThreadSafeGroup - 1 - i;
}

uInt32 ThreadGroupManager::GroupOfThread(uInt32 threadIndex) const {
    return threadIndex < kThMaxThreads ? map_[threadIndex] : kOccThreadSafeGroup;
}

uInt32 ThreadGroupManager::NewGroup() {
    if (freeCount_ == 0) {
        TQ_REPORT(kDbgBroken, "No more free thread group IDs!");
        return kOccNoThreadGroup;
    }
    const uInt32 group = freeStack_[--freeCount_];
    if (wake_[group].proc || wake_[group].param || !free_[group])
        TQ_REPORT(kDbgError,
                  "A thread group that was thought to be free has non-NULL param/proc or marked not free");
    free_[group] = false;
    return group;
}

TqErr ThreadGroupManager::SetThreadGroup(uInt32 threadIndex, uInt32 group) {
    if (threadIndex >= kThMaxThreads || group >= kOccThreadSafeGroup) return kErrArgument;
    if (group != 0 && group < kOccFirstDynamicGroup && group != threadIndex)
        TQ_REPORT(kDbgError, "Trying to set a threadGroupID in preallocated section");
    if (free_[group])
        TQ_REPORT(kDbgError,
                  "This thread group ID is marked free. How are you trying to set a thread's group ID as "
                  "this ID ?");
    map_[threadIndex] = group;
    return kErrNone;
}

TqErr ThreadGroupManager::SetGroupProc(uInt32 group, OccThreadGroupProc proc, void* param) {
    if (group >= kOccThreadSafeGroup) return kErrArgument;
    if (proc) {
        if (group != 0 && group < kOccFirstDynamicGroup)
            TQ_REPORT(kDbgError, "Trying to set wake-up proc/param info in preallocated section");
        if (free_[group])
            TQ_REPORT(kDbgError, "Trying to set a wake up proc for a thread group that is marked free!");
        wake_[group] = {proc, param};
        return kErrNone;
    }
    wake_[group] = {nullptr, nullptr};
    // Preallocated groups belong to their threads for good: only a dynamic group in use goes back.
    if (group >= kOccFirstDynamicGroup && !free_[group]) {
        free_[group] = true;
        freeStack_[freeCount_++] = group;
    }
    return kErrNone;
}

GroupWakeUp ThreadGroupManager::WakeUpOf(uInt32 group) const {
    return group < kOccThreadSafeGroup ? wake_[group] : GroupWakeUp{nullptr, nullptr};
}

}  // namespace tq::occurrences
