// Resource files run as the library's hosts run them: inside the started base services (paths and files).
#include <gtest/gtest.h>

#include "tqcore/core.h"

namespace {

class ResEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { ASSERT_EQ(InitTQCoreBase(), kErrNone); }
    void TearDown() override { EXPECT_EQ(UninitTQCoreBase(), kErrNone); }
};

[[maybe_unused]] ::testing::Environment* const gEnvironment =
    ::testing::AddGlobalTestEnvironment(new ResEnvironment);

}  // namespace
