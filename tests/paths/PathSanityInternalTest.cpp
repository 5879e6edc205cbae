#include <string>

#include "PathTestSupport.h"
#include "paths/PathItemElement.h"
#include "paths/PathManagerImplementation.h"
#include "support/ReportCapture.h"

namespace {

// Hand-made elements outside the tree, so a broken linkage can be shown to the check.
TEST(PathSanity, BrokenLinksAreReported) {
    ReportCapture capture;
    PathItemElement self;
    self.parent = &self;
    self.depth = 1;
    EXPECT_FALSE(tq::paths::CheckSanity(&self, true));
    EXPECT_EQ(ReportCapture::Count(kDbgError, "PathItemElement insane because parent is self"), 1);

    PathItemElement base;
    base.depth = 2;
    EXPECT_FALSE(tq::paths::CheckSanity(&base, true));
    EXPECT_EQ(ReportCapture::Count(kDbgError,
                                   "PathItemElement insane because it is a base and has a non-zero count"),
              1);

    PathItemElement root, child;
    child.parent = &root;
    child.depth = 3;
    EXPECT_FALSE(tq::paths::CheckSanity(&child, true));
    EXPECT_EQ(ReportCapture::Count(kDbgError,
                                   "PathItemElement insane because its parent has count of 0 but this is 3"),
              1);

    child.depth = 1;
    root.children.push_back({5, &child});
    PathItemElement stranger;
    stranger.parent = &base;
    root.children.push_back({1, &stranger});
    EXPECT_FALSE(tq::paths::CheckSanity(&child, false)) << "a child that does not point back";
    root.children.pop_back();
    EXPECT_TRUE(tq::paths::CheckSanity(&child, true));
    EXPECT_EQ(root.childrenChecked, 1) << "a passed check is remembered until a child is added";
}

TEST(PathSanity, DebugModeWritesTheDisplayTextOnAssignment) {
    const PathRef source = MakePath(kBaseAbsolute, {"D", "debug-mode"});
    PathRef quiet, verbose;
    quiet = source;
    tq::paths::SetDebugMode(true);
    verbose = source;
    tq::paths::SetDebugMode(false);
    EXPECT_GE(verbose.MemorySize(), quiet.MemorySize() + 48) << "the text buffer holds the display text";
}

}  // namespace
