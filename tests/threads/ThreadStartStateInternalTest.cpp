// What a new library thread starts with, whatever its creator's state.
#include <gtest/gtest.h>

#include <atomic>

#include "platform/FloatingPoint.h"
#include "support/Eventually.h"
#include "threads/Services.h"
#include "tqcore/core.h"
#include "tqcore/sysinfo.h"
#include "tqcore/threads.h"

namespace {

using tq::test::Eventually;

class ThreadStartStateTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(tq::threads::ThThreadService()->Init(), kErrNone); }
    void TearDown() override {
        tq::platform::X87Reset(tq::platform::kX87DefaultControlWord);
        tq::threads::ThThreadService()->Uninit();
    }
};

int32 RecordControlWord(void* arg) {
    static_cast<std::atomic<int32>*>(arg)->store(tq::platform::X87ControlWord());
    return 0;
}

TEST_F(ThreadStartStateTest, ANewThreadHasTheDefaultFloatingPointStateNotItsCreators) {
    // Round toward zero with 53-bit precision: a state threads inherit from their creator on some systems.
    tq::platform::X87SetControlWord(0x0E7F);
    std::atomic<int32> seen{-1};
    ThThread th = nullptr;
    ASSERT_EQ(ThThreadCreate(&th, RecordControlWord, &seen, "fpstate"), kErrNone);
    ASSERT_TRUE(Eventually([&] { return seen.load() != -1; }));
    EXPECT_TRUE(Eventually([&] { return !ThThreadActive(th); }));
    ThThreadDestroy(th);
    EXPECT_EQ(seen.load() & 0x1F3F, tq::platform::kX87DefaultControlWord & 0x1F3F);
}

TEST_F(ThreadStartStateTest, TheProcessorCountIsTheLogicalCount) {
    EXPECT_EQ(ThNumberOfProcessors(), CPUInfo()->NumLogicalCPUs());
}

}  // namespace
