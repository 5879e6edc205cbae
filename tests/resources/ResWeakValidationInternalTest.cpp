// The weak-validation setting: only the header copy's agreement and the two list offsets are checked.
#include <gtest/gtest.h>

#include "ResTestSupport.h"
#include "resources/ResGlobals.h"
#include "resources/Services.h"

namespace {

using namespace restest;

class ResWeakValidationTest : public ::testing::Test {
  protected:
    void SetUp() override { tq::resources::ApplyResourceSettings(true, true); }
    void TearDown() override { tq::resources::ApplyResourceSettings(false, true); }
};

TEST_F(ResWeakValidationTest, OnlyAgreementAndOffsetsAreChecked) {
    const Bytes good = MakeImage({{TQFourCC("DATA"), 1, "abc", ""}});
    const size_t m = MapOffset(good);
    Bytes b = good;
    SetBE32(b, m + 40, 0x01);  // map attributes with an unknown bit: rule 8 when checked fully
    uInt32 ref = 0;
    ASSERT_EQ(OpenImage(b, &ref), kErrNone);
    EXPECT_EQ(RCloseFile(ref), kErrNone);
    b = good;
    SetBE32(b, 24, 16);  // a data offset inside the header: header rule 4 when checked fully
    SetBE32(b, m + 24, 16);
    ASSERT_EQ(OpenImage(b, &ref), kErrNone);
    EXPECT_EQ(RCloseFile(ref), kErrNone);
    b = good;
    b[m + 8] = 'X';  // the header copy disagrees
    EXPECT_EQ(OpenImage(b, &ref), kErrGeneric);
    b = good;
    SetBE32(b, m + 44, 1000);  // the type list past the map
    EXPECT_EQ(OpenImage(b, &ref), kErrIO);
    b = good;
    SetBE32(b, m + 48, 1000);
    EXPECT_EQ(OpenImage(b, &ref), kErrIO);
    tq::resources::ApplyResourceSettings(false, true);
    b = good;
    SetBE32(b, m + 40, 0x01);
    EXPECT_EQ(OpenImage(b, &ref), kErrGeneric);
}

}  // namespace
