// Resource files name and read paths: the path tree is started once for every test of this program.
#include <gtest/gtest.h>

#include "tqcore/core.h"
#include "tqcore/paths.h"

namespace {

class ResEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { ASSERT_EQ(PathRef::Init(), kErrNone); }
    void TearDown() override { PathRef::UnInit(); }
};

[[maybe_unused]] ::testing::Environment* const gEnvironment =
    ::testing::AddGlobalTestEnvironment(new ResEnvironment);

}  // namespace
