// Faults of the operating system injected through the system-call seam, for the fault tests.
#pragma once

#include <gtest/gtest.h>

#include "platform/Syscalls.h"
#include "support/Descriptors.h"

namespace tq::test {

// The nth call fails with the OS's error number, times times in a row.
inline platform::SyscallFault Failing(int32 error, uInt32 nth = 1, uInt32 times = 1) {
    platform::SyscallFault f;
    f.nth = nth;
    f.times = times;
    f.error = error;
    return f;
}

// Calls succeed having moved at most limit bytes, times times in a row (0: every call).
inline platform::SyscallFault Shortened(int64 limit, uInt32 times = 1) {
    platform::SyscallFault f;
    f.times = times;
    f.transferLimit = limit;
    return f;
}

// Faults for one test: none reaches the next test, and whatever failed left no descriptor open.
class InjectedFaults {
  public:
    InjectedFaults() {
        platform::ResetSyscallsForTest();
        descriptors_ = OpenDescriptors();
    }
    ~InjectedFaults() {
        platform::ResetSyscallsForTest();
        if (descriptors_ >= 0) {
            EXPECT_EQ(OpenDescriptors(), descriptors_) << "a descriptor was left open";
        }
    }
    InjectedFaults(const InjectedFaults&) = delete;
    InjectedFaults& operator=(const InjectedFaults&) = delete;

    void Inject(const char* name, const platform::SyscallFault& fault) const {
        ASSERT_TRUE(platform::InjectSyscallFault(name, fault)) << name;
    }

  private:
    int64_t descriptors_ = 0;
};

}  // namespace tq::test
