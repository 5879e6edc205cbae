#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tqcore/sysinfo.h"

namespace {

std::string Text(uInt32 v, int32 level) {
    return BuildVersStdStr(v, level);
}

TEST(VersionTest, EveryDetailLevelStageAndBuildDigits) {
    EXPECT_EQ(Text(0x21016003, 0), "21.0.1b3");
    EXPECT_EQ(Text(0x21016003, 1), "21.0");
    EXPECT_EQ(Text(0x21016003, 2), "21.0.1");
    EXPECT_EQ(Text(0x21016003, 3), "21.0.1b3");
    EXPECT_EQ(Text(0x21008000, 0), "21.0");
    EXPECT_EQ(Text(0x21008000, 2), "21.0.0");
    EXPECT_EQ(Text(0x21008000, 3), "21.0.0r0");
    EXPECT_EQ(Text(0x01100102, 0), "1.1?102");
    EXPECT_EQ(Text(0x01100102, 3), "1.1.0?102");
    EXPECT_EQ(Text(0x08502007, 0), "8.5d7");
    EXPECT_EQ(Text(0x08504017, 0), "8.5a17");
    EXPECT_EQ(Text(0x08506107, 0), "8.5b107");
    EXPECT_EQ(Text(0x08506100, 0), "8.5b100");
    EXPECT_EQ(Text(0x08538123, 0), "8.5.3");
    EXPECT_EQ(Text(0x08538123, 3), "8.5.3r123");
    EXPECT_EQ(Text(0x0853F005, 0), "8.5.3?5");
    EXPECT_EQ(Text(0x08530005, 9), Text(0x08530005, 0));  // unknown level prints the default
}

TEST(VersionTest, BufferAndPascalForms) {
    char buf[16];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(BuildVersionString(0x21016003, 0, buf, sizeof buf), 8);
    EXPECT_STREQ(buf, "21.0.1b3");
    EXPECT_EQ(buf[15], '\0');  // the whole buffer is cleared
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(BuildVersionString(0x21016003, 0, buf, 8), 8);  // no room for the NUL: left empty
    EXPECT_EQ(buf[0], '\0');
    EXPECT_EQ(BuildVersionString(0x21016003, 1, nullptr, 0), 4);
    Str255 p;
    BuildVersStr(0x21016003, p);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(p + 1), p[0]), "21.0.1b3");
}

}  // namespace
