// Enumerated settings spelt as entries of string list resources.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/ResTestSupport.h"
#include "support/ReportCapture.h"
#include "support/TestHost.h"
#include "tqcore/config.h"
#include "tqcore/core.h"
#include "tqcore/resources.h"

namespace {

constexpr int32 kColours = 300;

// A string list resource: a big-endian 16-bit count, then the Pascal strings.
std::string StringList(const std::vector<std::string>& entries) {
    std::string data{char(entries.size() >> 8), char(entries.size() & 0xFF)};
    for (const std::string& e : entries) data += char(e.size()) + e;
    return data;
}

class CfgEnumStrings : public ::testing::Test {
  protected:
    void SetUp() override {
        image_ = restest::MakeImage({{TQFourCC("STR#"), kColours, StringList({"Red", "Green", "Blue"}), ""}});
        ASSERT_EQ(restest::OpenImage(image_, &ref_), kErrNone);
    }
    void TearDown() override { EXPECT_EQ(RCloseFile(ref_), kErrNone); }

    restest::Bytes image_;
    uInt32 ref_ = 0;
};

TEST_F(CfgEnumStrings, TextFindsItsEntryNumber) {
    int32 index = 0;
    EXPECT_EQ(ConfigParseGetPStrRsrcIndex(ref_, &index, "Blue", kColours, false), kErrNone);
    EXPECT_EQ(index, 3);
    EXPECT_EQ(ConfigParseGetPStrRsrcIndex(ref_, &index, "gREEN", kColours, true), kErrNone);
    EXPECT_EQ(index, 2);
    index = 0;
    EXPECT_EQ(ConfigParseGetPStrRsrcIndex(ref_, &index, "gREEN", kColours, false), kErrConfigNotFound);
    EXPECT_EQ(ConfigParseGetPStrRsrcIndex(ref_, &index, std::string(300, 'R').c_str(), kColours, true),
              kErrConfigNotFound);
    EXPECT_EQ(ConfigParseGetPStrRsrcIndex(ref_, &index, "Red", kColours + 1, true), kErrConfigNotFound)
        << "a missing list ends at once";
    EXPECT_EQ(index, 0) << "left alone when nothing matches";
    EXPECT_EQ(ConfigParseGetPStrRsrcIndex(ref_, &index, "", kColours, true), kErrArgument);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(ConfigParseGetPStrRsrcIndex(ref_, nullptr, "Red", kColours, true), kErrArgument);
}

TEST_F(CfgEnumStrings, EntryNumberGivesItsText) {
    std::string text;
    EXPECT_EQ(ConfigWriteEnumPStr(ref_, kColours, 2, &text), kErrNone);
    EXPECT_EQ(text, "Green");
    ReportCapture capture;
    EXPECT_EQ(ConfigWriteEnumPStr(ref_, kColours, 4, &text), kErrResourceNotFound);
    EXPECT_EQ(ConfigWriteEnumPStr(ref_, kColours, 1, nullptr), kErrArgument);
    EXPECT_EQ(ReportCapture::Count(kDbgError, "Failed to find correct value for enumeration string."), 2);
}

TEST_F(CfgEnumStrings, RefnumZeroIsTheHostsStringFile) {
    struct Host : TestHost {
        int32 StringResourceRefNum() override { return int32(refnum); }
        uInt32 refnum = 0;
    } host;
    host.refnum = ref_;
    TQAppInterfaceSet(&host);
    int32 index = 0;
    EXPECT_EQ(ConfigParseGetPStrRsrcIndex(0, &index, "Green", kColours, false), kErrNone);
    EXPECT_EQ(index, 2);
    std::string text;
    EXPECT_EQ(ConfigWriteEnumPStr(0, kColours, 1, &text), kErrNone);
    EXPECT_EQ(text, "Red");
    TQAppInterfaceSet(nullptr);
}

}  // namespace
