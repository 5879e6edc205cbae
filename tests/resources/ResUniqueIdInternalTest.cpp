// The unique-ID counter is process-wide: these cases set it first.
#include <gtest/gtest.h>

#include "ResTestSupport.h"
#include "resources/ResGlobals.h"

namespace {

using namespace restest;

const ResType kData = TQFourCC("DATA");

TEST(ResUniqueIdTest, SkipsTakenIdsAndCountsOnePerCall) {
    ResFile* f = nullptr;
    ASSERT_EQ(ResFileFactory::RCreateMemFile(&f, TQFourCC("tqcr"), TQFourCC("TEST")), kErrNone);
    auto& counter = tq::resources::UniqueIdCounter();
    counter = 500;
    EXPECT_EQ(f->RUniqueID(kData), 128);  // an empty file
    EXPECT_EQ(counter.load(), 501);
    const uInt8 b = 0;
    ASSERT_EQ(f->RAddPtr(&b, 1, kData, 128, nullptr), kErrNone);
    ASSERT_EQ(f->RAddPtr(&b, 1, kData, 129, nullptr), kErrNone);
    counter = 128;
    EXPECT_EQ(f->RUniqueID(kData), 130);
    EXPECT_EQ(counter.load(), 129);
    EXPECT_EQ(f->RUniqueID(TQFourCC("NONE")), 129);  // a type not present takes the counter as it is
    counter = 5;
    EXPECT_EQ(f->RUniqueID(kData), 5);
    EXPECT_EQ(counter.load(), 128);  // below 128 it starts again at 128
    EXPECT_EQ(f->RCloseFile(), kErrNone);
    EXPECT_EQ(f->RUniqueID(kData), kErrResourceFile);
    delete f;
}

}  // namespace
