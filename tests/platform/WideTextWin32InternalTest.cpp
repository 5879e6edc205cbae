// The UTF-8 <-> UTF-16 conversions behind the wide system calls, at the edges of their one-call room.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/WideText.h"

namespace {

using tq::platform::Utf8FromWide;
using tq::platform::WideFromUtf8;

TEST(WideText, TextFillsTheRoomItsLengthBoundsAndComesBackAsItWas) {
    // One unit per byte is the most UTF-8 makes: all ASCII, and every byte a bad one read as U+FFFD.
    EXPECT_EQ(WideFromUtf8("plain", false), L"plain");
    EXPECT_EQ(WideFromUtf8("\xFF\xFE\x80", false), L"\xFFFD\xFFFD\xFFFD");
    // Three bytes a unit is the most UTF-16 makes.
    EXPECT_EQ(Utf8FromWide(L"\x20AC\x20AC"), "\xE2\x82\xAC\xE2\x82\xAC");
    const std::string mixed = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z";
    const std::wstring wide = WideFromUtf8(mixed.c_str(), false);
    EXPECT_EQ(wide, L"a\x00E9\x20AC\xD83D\xDE00z");
    EXPECT_EQ(Utf8FromWide(wide.data(), wide.size()), mixed);
}

TEST(WideText, LengthsNullsAndBadTextGiveTheirOwnAnswers) {
    EXPECT_EQ(WideFromUtf8("abc", 2, true), L"ab");
    EXPECT_EQ(Utf8FromWide(L"abc", 1), "a");
    EXPECT_EQ(WideFromUtf8(nullptr, true), L"");
    EXPECT_EQ(WideFromUtf8("", false), L"");
    EXPECT_EQ(Utf8FromWide(nullptr), "");
    // Strict reading refuses the whole text for one bad byte.
    EXPECT_EQ(WideFromUtf8("ok\xC3", true), L"");
    EXPECT_EQ(WideFromUtf8("ok\xC3", false), L"ok\xFFFD");
    // A lone surrogate has no UTF-8 form of its own.
    EXPECT_EQ(Utf8FromWide(L"x\xD800y"), "x\xEF\xBF\xBDy");
}

}  // namespace
#endif
