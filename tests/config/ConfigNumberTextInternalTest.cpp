// Integer configuration values read as the C library's "%ld" reads them, including past either 64-bit bound.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "config/ConfigTypeRegistry.h"
#include "tqcore/memory.h"

namespace {

class ConfigNumberText : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(InitConfigTypeRegistry(), kErrNone);
        ASSERT_EQ(tq::config::RegisterCoreConfigTypes(), kErrNone);
    }
    static void TearDownTestSuite() { ASSERT_EQ(UninitConfigTypeRegistry(), kErrNone); }
};

// What the C library reads from the start of the text, and whether it read anything.
bool LibraryReads(const std::string& text, int32& out) {
    const char* s = text.c_str();
    char* end = nullptr;
    const long long v = std::strtoll(s, &end, 10);
    out = int32(v);
    return end != s;
}

TEST_F(ConfigNumberText, IntegersReadAsTheCLibraryReadsThem) {
    const std::vector<std::string> texts = {
        "0",
        "17",
        "-17",
        "+17",
        " \t\n\v\f\r42",
        "42abc",
        "  -0",
        "2147483647",
        "2147483648",
        "-2147483648",
        "-2147483649",
        "4294967296",
        "4294967297",
        "9223372036854775807",
        "9223372036854775808",
        "-9223372036854775808",
        "-9223372036854775809",
        "99999999999999999999999",
        "-99999999999999999999999",
        "18446744073709551617",
        "",
        " ",
        "-",
        "+",
        "+-1",
        "- 1",
        "abc",
        "0x10",
        "1e3",
        "007",
        "12 34",
        std::string("5\0"
                    "6",
                    3),
        "\xA0"
        "1",
    };
    for (int32 type : {TQFourCC("I32 "), int32(kCfgTypeI32Number)}) {
        for (const std::string& text : texts) {
            int32 expected = 0;
            const bool reads = LibraryReads(text, expected);
            int32 value = 0x5A5A5A5A;
            EXPECT_EQ(ConfigTypeFromString(type, text, &value), reads ? kErrNone : kErrConfigParse) << text;
            EXPECT_EQ(value, reads ? expected : 0x5A5A5A5A) << text;
        }
    }
    // A list reads each part alike.
    UHandle list = nullptr;
    ASSERT_EQ(ConfigTypeFromString(TQFourCC("I32L"), "4294967297; -9223372036854775809;7", &list), kErrNone);
    int32 values[4];
    std::memcpy(values, *list, sizeof values);
    EXPECT_EQ(values[0], 3);
    int32 first = 0, second = 0;
    LibraryReads("4294967297", first);
    LibraryReads("-9223372036854775809", second);
    EXPECT_EQ(values[1], first);
    EXPECT_EQ(values[2], second);
    EXPECT_EQ(values[3], 7);
    DSDisposeHandle(list);
}

}  // namespace
