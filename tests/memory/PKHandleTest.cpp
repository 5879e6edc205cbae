#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

#include "support/ReportCapture.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"

namespace {

TEST(PKHandleTest, ResizeFieldMovesTheTailWithTheField) {
    PKHandle owner;
    ASSERT_EQ(owner.Resize(20), kErrNone);
    std::iota(*owner.Handle(), *owner.Handle() + 20, uChar(1));
    uChar* field = *owner.Handle() + 4;
    ASSERT_EQ(owner.ResizeField(&field, 4, 10), kErrNone);
    EXPECT_EQ(DSGetHandleSize(owner.Handle()), 26);
    EXPECT_EQ(field, *owner.Handle() + 4);
    for (int i = 0; i < 12; ++i) EXPECT_EQ((*owner.Handle())[14 + i], uChar(9 + i)) << i;
    ASSERT_EQ(owner.ResizeField(&field, 10, 1), kErrNone);
    EXPECT_EQ(DSGetHandleSize(owner.Handle()), 17);
    for (int i = 0; i < 12; ++i) EXPECT_EQ((*owner.Handle())[5 + i], uChar(9 + i)) << i;
    EXPECT_EQ(owner.ResizeField(&field, 1, 1), kErrNone);
    uChar* outside = *owner.Handle() + 16;
    EXPECT_EQ(owner.ResizeField(&outside, 5, 1), kErrArgument);
}

TEST(PKHandleTest, ResizeAttachAndDetach) {
    ReportCapture capture;
    PKHandle owner;
    ASSERT_EQ(owner.Resize(8), kErrNone);
    UHandle first = owner.Handle();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(owner.Resize(0), kErrNone);
    EXPECT_EQ(owner.Handle(), nullptr);
    EXPECT_EQ(IsDSHandle(first), 0);
    owner.AttachHandle(DSNewHandle(3));
    owner.AttachHandle(DSNewHandle(4));
    EXPECT_EQ(ReportCapture::Count(kDbgFatal, "Can't attach to non null PKHandle."), 1);
    EXPECT_EQ(DSGetHandleSize(owner.Handle()), 4);
    UHandle kept = owner.Detach();
    EXPECT_EQ(owner.Handle(), nullptr);
    EXPECT_EQ(DSDisposeHandle(kept), kErrNone);
}

}  // namespace
