// The hard-wait setting inside the library: its typed-settings group and the host's default.
#pragma once

#include <atomic>

#include "tqcore/threads.h"

namespace tq::occurrences {

// The host interface's answer to its seventeenth operation; off without a host.
int32 HardWaitHostDefault();

// The one signed 32-bit entry "HardWaitTimeCritical": a default and a current value, both the host's answer
// when the data object is made.
class HardWaitBehaviorCfgData {
  public:
    static constexpr const char* kEntryName = "HardWaitTimeCritical";

    HardWaitBehaviorCfgData();
    int32 Default() const { return default_; }
    // Read from any thread.
    int32 Current() const { return current_.load(std::memory_order_relaxed); }
    void SetCurrent(int32 value) { current_.store(value, std::memory_order_relaxed); }

  private:
    int32 default_;
    std::atomic<int32> current_;
};

// The settings group "HardWaitBehaviorSettings": loads its entry at start.
class HardWaitBehaviorSettings {
  public:
    static constexpr const char* kGroupName = "HardWaitBehaviorSettings";

    // A load flag of -1 reads the entry from the configuration.
    TqErr Init(int32 loadFlag, void* arg);
    TqErr Uninit(int32 flags, void* arg);
    // Forgets the name (the group is then unusable).
    void ClearName() { name_ = nullptr; }
    const char* Name() const { return name_; }
    HardWaitBehaviorCfgData& Data() { return data_; }

  private:
    const char* name_ = kGroupName;
    HardWaitBehaviorCfgData data_;
};

}  // namespace tq::occurrences
