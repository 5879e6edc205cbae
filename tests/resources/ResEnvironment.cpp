// Resource files run as the library's hosts run them: inside the base services (paths and files) and the
// application support, which starts the resource manager and its refnum table.
#include <gtest/gtest.h>

#include "tqcore/core.h"

namespace {

class ResEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        ASSERT_EQ(InitTQCoreBase(), kErrNone);
        ASSERT_EQ(InitTQCoreAppSupport(), kErrNone);
    }
    void TearDown() override {
        EXPECT_EQ(UninitTQCoreAppSupport(), kErrNone);
        EXPECT_EQ(UninitTQCoreBase(), kErrNone);
    }
};

[[maybe_unused]] ::testing::Environment* const gEnvironment =
    ::testing::AddGlobalTestEnvironment(new ResEnvironment);

}  // namespace
