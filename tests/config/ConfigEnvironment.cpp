// The library's base services run for every test of the configuration programs.
#include <gtest/gtest.h>

#include "tqcore/core.h"

namespace {

class ConfigEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { ASSERT_EQ(InitTQCoreBase(), kErrNone); }
    void TearDown() override { (void)UninitTQCoreBase(); }
};

[[maybe_unused]] ::testing::Environment* const gEnvironment =
    ::testing::AddGlobalTestEnvironment(new ConfigEnvironment);

}  // namespace
