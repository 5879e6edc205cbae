// Thread groups of the occurrence manager: which group each library thread delivers to, the free dynamic
// groups and each group's wake-up procedure. The caller serialises every call (the occurrence lock).
#pragma once

#include "tqcore/threads.h"

namespace tq::occurrences {

struct GroupWakeUp {
    OccThreadGroupProc proc;
    void* param;
};

class ThreadGroupManager {
  public:
    ThreadGroupManager();
    // Back to the start: the identity map, every dynamic group free, no procedures.
    void Reset();

    uInt32 GroupOfThread(uInt32 threadIndex) const;
    uInt32 NewGroup();
    TqErr SetThreadGroup(uInt32 threadIndex, uInt32 group);
    TqErr SetGroupProc(uInt32 group, OccThreadGroupProc proc, void* param);
    GroupWakeUp WakeUpOf(uInt32 group) const;

  private:
    static constexpr uInt32 kDynamicGroups = kOccThreadSafeGroup - kOccFirstDynamicGroup;

    uInt32 map_[kThMaxThreads];
    bool free_[kOccThreadSafeGroup];
    GroupWakeUp wake_[kOccThreadSafeGroup];
    uInt32 freeStack_[kDynamicGroups];
    uInt32 freeCount_;
};

}  // namespace tq::occurrences
