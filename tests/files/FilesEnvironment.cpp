// The path tree is process-wide: it is started once for every test of the files programs.
#include <gtest/gtest.h>

#include "tqcore/core.h"
#include "tqcore/paths.h"

namespace {

class FilesEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { ASSERT_EQ(PathRef::Init(), kErrNone); }
    void TearDown() override { PathRef::UnInit(); }
};

[[maybe_unused]] ::testing::Environment* const gEnvironment =
    ::testing::AddGlobalTestEnvironment(new FilesEnvironment);

}  // namespace
