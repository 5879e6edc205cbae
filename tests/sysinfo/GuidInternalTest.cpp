#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "platform/Guid.h"
#include "tqcore/core.h"
#include "tqcore/sysinfo.h"

namespace {

TEST(GuidTest, NullGuidTextAndRoundTripOfFreshGuids) {
    char text[kPKGuidTextSize];
    ASSERT_EQ(PKGuidToCStr(&NullPKGuid(), text), kErrNone);
    EXPECT_STREQ(text, "00000000-0000-0000-0000-000000000000");

    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        PKGuidType g, back{};
        PKGuidCreate(&g);
        EXPECT_FALSE(PKGuidsEqual(&g, &NullPKGuid()));
        ASSERT_EQ(PKGuidToCStr(&g, text), kErrNone);
        ASSERT_EQ(std::strlen(text), 36u);
        EXPECT_EQ(text[14], '4') << text;  // random-based version nibble
        ASSERT_EQ(PKGuidFromCStr(text, &back), kErrNone);
        EXPECT_TRUE(PKGuidsEqual(&g, &back));
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 200u);
}

TEST(GuidTest, TextFieldOrderAndCaseInsensitiveParse) {
    PKGuidType g;
    ASSERT_EQ(PKGuidFromCStr("01234567-89AB-cdef-0123-456789abcdef", &g), kErrNone);
    EXPECT_EQ(g.data1, 0x01234567u);
    EXPECT_EQ(g.data2, 0x89ABu);
    EXPECT_EQ(g.data3, 0xCDEFu);
    const uInt8 tail[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    EXPECT_EQ(std::memcmp(g.data4, tail, 8), 0);
    char text[kPKGuidTextSize];
    ASSERT_EQ(PKGuidToCStr(&g, text), kErrNone);
    EXPECT_STREQ(text, "01234567-89ab-cdef-0123-456789abcdef");
}

TEST(GuidTest, BadTextAndNullArguments) {
    PKGuidType g{}, untouched{};
    for (const char* bad :
         {"", "not a guid", "01234567-89ab-cdef-0123-456789abcde", "01234567-89ab-cdef-0123-456789abcdef0",
          "01234567+89ab-cdef-0123-456789abcdef", "0123456g-89ab-cdef-0123-456789abcdef",
          "{01234567-89ab-cdef-0123-456789abcdef}", "0123456789ab-cdef-0123-456789abcdef--"}) {
        EXPECT_EQ(PKGuidFromCStr(bad, &g), kErrGuidText) << bad;
        EXPECT_TRUE(PKGuidsEqual(&g, &untouched)) << bad;
    }
    EXPECT_EQ(PKGuidFromCStr(nullptr, &g), kErrArgument);
    EXPECT_EQ(PKGuidFromCStr("garbage", nullptr), kErrNone);
    EXPECT_EQ(PKGuidToCStr(&g, nullptr), kErrNone);
    EXPECT_EQ(PKGuidCreateStr(nullptr), kErrNone);
    char text[kPKGuidTextSize];
    ASSERT_EQ(PKGuidCreateStr(text), kErrNone);
    EXPECT_EQ(PKGuidFromCStr(text, &g), kErrNone);
}

TEST(GuidTest, EqualityLooksAtEveryByte) {
    PKGuidType a, b;
    PKGuidCreate(&a);
    for (size_t i = 0; i < sizeof a; ++i) {
        b = a;
        reinterpret_cast<uInt8*>(&b)[i] ^= 0x01;
        EXPECT_FALSE(PKGuidsEqual(&a, &b)) << i;
    }
    b = a;
    EXPECT_TRUE(PKGuidsEqual(&a, &b));
}

TEST(GuidTest, PortableFormAgreesWithPlatformForm) {
    PKGuidType g;
    PKGuidCreate(&g);
    char portable[kPKGuidTextSize], system[kPKGuidTextSize];
    tq::platform::FormatGuidText(g, portable);
    ASSERT_TRUE(tq::platform::GuidToText(g, system));
    EXPECT_STREQ(portable, system);
}

}  // namespace
