// Test support: the memory manager's allocating entry points fail on demand. A program that uses this links
// AllocFailure.cpp and wraps those entry points at link time (tests/CMakeLists.txt).
#pragma once

#include <gtest/gtest.h>

#include "memory/MemoryManager.h"

namespace tq::test {

// From now, the nth allocation fails (counted from 1); 0 lets every allocation succeed.
void FailAllocation(int nth);
// Whether the allocation armed by FailAllocation has failed.
bool AllocationFailed();

// While it lives, allocations succeed (for setting up and tearing down a trial).
class AllocationsSucceed {
  public:
    AllocationsSucceed();
    ~AllocationsSucceed();
    AllocationsSucceed(const AllocationsSucceed&) = delete;
    AllocationsSucceed& operator=(const AllocationsSucceed&) = delete;

  private:
    int saved_;
};

// Runs trial with its 1st, 2nd, ... allocation failing until a run has none left to fail; each trial builds
// its own state, checks it and frees it. No handle may be left over by any run. Answers the number of runs
// in which an allocation failed.
template <class Trial>
int EachAllocationFailing(Trial trial) {
    const int64 live = tq::memory::LiveHandleCount();
    int failures = 0;
    for (int k = 1; k < 5000; ++k) {
        FailAllocation(k);
        trial();
        const bool failed = AllocationFailed();
        FailAllocation(0);
        EXPECT_EQ(tq::memory::LiveHandleCount(), live) << "allocation " << k;
        if (!failed) break;
        ++failures;
    }
    EXPECT_GT(failures, 0) << "the operation allocates";
    return failures;
}

}  // namespace tq::test
