// The file manager runs as the library's hosts run it: inside the started base services.
#include <gtest/gtest.h>

#include "tqcore/core.h"

namespace {

class FilesEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { ASSERT_EQ(InitTQCoreBase(), kErrNone); }
    void TearDown() override { EXPECT_EQ(UninitTQCoreBase(), kErrNone); }
};

[[maybe_unused]] ::testing::Environment* const gEnvironment =
    ::testing::AddGlobalTestEnvironment(new FilesEnvironment);

}  // namespace
