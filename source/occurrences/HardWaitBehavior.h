// The hard-wait setting inside the library: its typed-settings group and the host's default.
#pragma once

#include <atomic>

#include "tqcore/config.h"
#include "tqcore/threads.h"

namespace tq::occurrences {

// The host interface's answer to its seventeenth operation; off without a host.
int32 HardWaitHostDefault();

// The one signed 32-bit entry "HardWaitTimeCritical": a default and a current value, both the host's answer
// when the data object is made.
class HardWaitBehaviorCfgData final : public CfgSettingsData {
  public:
    static constexpr const char* kEntryName = "HardWaitTimeCritical";

    HardWaitBehaviorCfgData();
    int32 Count() override { return 1; }
    CfgData* At(int32 index) override { return index == 0 ? &entry_ : nullptr; }
    int32 Default() const { return entry_.GetDefault(); }
    int32 Current() const { return entry_.Get(); }

  private:
    CfgData_T<int32, TQFourCC("I32 ")> entry_;
};

using HardWaitBehaviorSettings = CfgSettings_T<HardWaitBehaviorCfgData, DefaultCfgValidator>;
inline constexpr const char* kHardWaitSettingsName = "HardWaitBehaviorSettings";

}  // namespace tq::occurrences
