// The thread service's priority table from the preference file: what the configuration holds when it runs,
// the built-in values for the rest and when it does not.
#include <gtest/gtest.h>

#include <array>

#include "config/ConfigTestSupport.h"
#include "threads/Services.h"
#include "threads/ThThread.h"
#include "tqcore/threads.h"

namespace {

using Natives = std::array<int32, kThNumPriorities>;

// The native priorities the thread service takes when it starts now.
Natives StartThreadServiceAndRead() {
    Natives n{};
    EXPECT_EQ(tq::threads::ThThreadService()->Init(), kErrNone);
    ThThreadGetNativePriorityInfo(&n[0], &n[1], &n[2], &n[3], &n[4]);
    (void)tq::threads::ThThreadService()->Uninit();
    return n;
}

constexpr Natives kBuiltIn = {-15, 0, 1, 2, 15};

class ConfiguredPriorities : public tq::test::MainManagerFixture {
  protected:
    ConfiguredPriorities() : MainManagerFixture("[TQCore]\nthpri_bgrnd=-7\nthpri_high=4\nthpri_vhigh=6\n") {}
};

TEST_F(ConfiguredPriorities, TheThreadServiceTakesTheConfiguredOnesAndTheBuiltInRest) {
    EXPECT_EQ(StartThreadServiceAndRead(), (Natives{-7, 0, 4, 6, 15}));
}

TEST_F(ConfiguredPriorities, WithTheConfigurationStoppedTheBuiltInOnesHold) {
    tq::config::ConfigCoreTypesService()->Uninit();
    EXPECT_EQ(tq::threads::SetIntegerSettingReader(nullptr), nullptr)
        << "a stopped configuration is still read";
    EXPECT_EQ(StartThreadServiceAndRead(), kBuiltIn);
    ASSERT_EQ(tq::config::ConfigCoreTypesService()->Init(), kErrNone);
    EXPECT_EQ(StartThreadServiceAndRead(), (Natives{-7, 0, 4, 6, 15}));
}

TEST(ConfiguredPrioritiesUnset, WithoutAConfigurationTheBuiltInOnesHold) {
    EXPECT_EQ(StartThreadServiceAndRead(), kBuiltIn);
}

}  // namespace
