#include <cstring>

#include "StringTestSupport.h"
#include "platform/LastError.h"
#include "platform/Utf8Codec.h"
#include "support/Wine.h"

namespace {

namespace pf = tq::platform;
using strtest::StringTest;

TQWString Wide(uInt32 cp, const std::string& s, uInt32 flags = 0) {
    const int32 n = pf::MultiByteToWide(cp, flags, s.data(), int32(s.size()), nullptr, 0);
    TQWString out(size_t(n > 0 ? n : 0), TQWChar(0));
    if (n > 0) {
        EXPECT_EQ(pf::MultiByteToWide(cp, flags, s.data(), int32(s.size()), out.data(), n), n);
    }
    return out;
}

std::string Narrow(uInt32 cp, const TQWString& s, uInt32 flags = 0) {
    const int32 n = pf::WideToMultiByte(cp, flags, s.data(), int32(s.size()), nullptr, 0);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) {
        EXPECT_EQ(pf::WideToMultiByte(cp, flags, s.data(), int32(s.size()), out.data(), n), n);
    }
    return out;
}

using CodePageTest = StringTest;

TEST_F(CodePageTest, WesternPageMapsEveryByteAndRoundTrips) {
    EXPECT_EQ(pf::AnsiCodePage(), 1252u);
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(char(b));
    const TQWString wide = Wide(0, all);
    ASSERT_EQ(wide.size(), all.size());
    EXPECT_EQ(wide[0x80 - 1], TQWChar(0x20AC));  // euro sign
    EXPECT_EQ(wide[0xE9 - 1], TQWChar(0x00E9));
    EXPECT_EQ(wide[0x81 - 1], TQWChar(0x0081));  // undefined byte keeps its value, nothing is lost
    EXPECT_EQ(Narrow(0, wide), all);
    // Characters the page lacks become '?', unless strict conversion is asked for.
    const TQWString cjk = {TQWChar('a'), TQWChar(0x65E5), TQWChar('b')};
    EXPECT_EQ(Narrow(1252, cjk), "a?b");
    pf::SetLastError(0);
    EXPECT_EQ(pf::WideToMultiByte(1252, pf::kConvertStrict, cjk.data(), 3, nullptr, 0), 0);
    EXPECT_EQ(pf::GetLastError(), pf::kWinNoUnicodeTranslation);
}

TEST_F(CodePageTest, ConversionFollowsTheBufferContract) {
    const char text[] = "h\xE9llo";
    TQWChar small[3];
    pf::SetLastError(0);
    EXPECT_EQ(pf::MultiByteToWide(0, 0, text, 5, small, 3), 0);
    EXPECT_EQ(pf::GetLastError(), pf::kWinInsufficientBuffer);
    TQWChar buf[8];
    EXPECT_EQ(pf::MultiByteToWide(0, 0, text, -1, buf, 8), 6);  // length -1 includes the NUL
    EXPECT_EQ(buf[5], TQWChar(0));
    EXPECT_EQ(buf[1], TQWChar(0xE9));
    EXPECT_EQ(pf::MultiByteToWide(0, 0, text, 0, buf, 8), 0);
    EXPECT_EQ(pf::MultiByteToWide(0, 0, nullptr, 3, buf, 8), 0);
    EXPECT_EQ(pf::GetLastError(), pf::kWinInvalidParameter);
    char out[2];
    EXPECT_EQ(pf::WideToMultiByte(0, 0, buf, 5, out, 2), 0);
    EXPECT_EQ(pf::GetLastError(), pf::kWinInsufficientBuffer);
}

// A character that only partly fits fails the whole conversion: no half of a surrogate pair or of a
// multi-byte sequence is passed off as the text.
TEST_F(CodePageTest, CharacterCutByTheBufferEndFails) {
    const char pair[] = "a\xF0\x9F\x98\x80";
    TQWChar wide[3] = {0, 0, 0};
    pf::SetLastError(0);
    EXPECT_EQ(pf::MultiByteToWide(pf::kCodePageUtf8, 0, pair, 5, wide, 2), 0);
    EXPECT_EQ(pf::GetLastError(), pf::kWinInsufficientBuffer);
    EXPECT_EQ(pf::MultiByteToWide(pf::kCodePageUtf8, 0, pair, 5, wide, 3), 3);
    const TQWChar euro[] = {TQWChar('a'), TQWChar(0x20AC)};
    char narrow[3];
    pf::SetLastError(0);
    EXPECT_EQ(pf::WideToMultiByte(pf::kCodePageUtf8, 0, euro, 2, narrow, 3), 0);
    EXPECT_EQ(pf::GetLastError(), pf::kWinInsufficientBuffer);
    const TQWChar kanji[] = {TQWChar('a'), TQWChar(0x65E5)};
    pf::SetLastError(0);
    EXPECT_EQ(pf::WideToMultiByte(932, 0, kanji, 2, narrow, 2), 0);
    EXPECT_EQ(pf::GetLastError(), pf::kWinInsufficientBuffer);
}

// A character the page turns into nothing at the very end of a buffer filled to the size measured: the size
// that measuring announced is enough to fill.
TEST_F(CodePageTest, MeasuredSizeFillsWhenTheLastCharacterMakesNoBytes) {
    const TQWChar tail[] = {TQWChar(0x5960), TQWChar('.'), TQWChar(0xDB40), TQWChar(0xDC00)};
    const std::string narrow = Narrow(950, TQWString(tail, 4));
    EXPECT_NE(narrow.find('.'), std::string::npos);
}

TEST_F(CodePageTest, DoubleBytePagesConvertAndStep) {
    ASSERT_TRUE(pf::SetAnsiCodePage(932));
    EXPECT_EQ(pf::AnsiCodePage(), 932u);
    const std::string nihon = "\x93\xFA\x96\x7B";  // two kanji
    EXPECT_EQ(Wide(0, nihon), (TQWString{TQWChar(0x65E5), TQWChar(0x672C)}));
    EXPECT_EQ(Narrow(0, {TQWChar(0x65E5), TQWChar(0x672C)}), nihon);
    EXPECT_EQ(Wide(0, "\xB1"), TQWString(1, TQWChar(0xFF71)));  // half-width katakana is one byte
    EXPECT_TRUE(pf::AnsiIsLeadByte(0x81));
    EXPECT_TRUE(pf::AnsiIsLeadByte(0xE0));
    EXPECT_FALSE(pf::AnsiIsLeadByte(0xA1));
    EXPECT_FALSE(pf::AnsiIsLeadByte('A'));

    // 0x83 0x5C is one character whose trail byte is a backslash.
    const char s[] =
        "a\x83\x5C"
        "b";
    EXPECT_EQ(pf::AnsiCharNext(s) - s, 1);
    EXPECT_EQ(pf::AnsiCharNext(s + 1) - s, 3);
    EXPECT_EQ(pf::AnsiCharPrev(s, s + 3) - s, 1);
    EXPECT_EQ(pf::AnsiCharPrev(s, s + 4) - s, 3);
    EXPECT_EQ(pf::AnsiCharPrev(s, s), s);
    // A lead byte before the terminator is a character of its own.
    const char cut[] = "\x83";
    EXPECT_EQ(pf::AnsiCharNext(cut) - cut, 1);
    const char inner[] = {'a', '\x83', '\0', 'b'};  // stepping back agrees with stepping forward
    EXPECT_EQ(pf::AnsiCharPrev(inner, inner + 3) - inner, 2);
    // The buffer case forms leave double-byte characters alone, even a trail byte that looks like a letter.
    char mixed[] = "ab\x82\x61z";
    pf::AnsiCharUpperBuff(mixed, 5);
    EXPECT_STREQ(mixed, "AB\x82\x61Z");

    ASSERT_TRUE(pf::SetAnsiCodePage(936));
    EXPECT_EQ(Wide(0, "\xD6\xD0"), TQWString(1, TQWChar(0x4E2D)));
    EXPECT_TRUE(pf::AnsiIsLeadByte(0xD6));
    for (uInt32 cp : {949u, 950u}) {
        ASSERT_TRUE(pf::SetAnsiCodePage(cp)) << cp;
        EXPECT_TRUE(pf::AnsiIsLeadByte(0xB0)) << cp;
        EXPECT_FALSE(pf::AnsiIsLeadByte('z')) << cp;
    }
    EXPECT_FALSE(pf::SetAnsiCodePage(12345));
    EXPECT_EQ(pf::AnsiCodePage(), 950u);
}

TEST_F(CodePageTest, CaseTablesComeFromTheCodePage) {
    EXPECT_EQ(pf::AnsiCharUpper(0xE9), 0xC9);  // e acute
    EXPECT_EQ(pf::AnsiCharLower(0xC9), 0xE9);
    EXPECT_EQ(pf::AnsiCharUpper(0x9A), 0x8A);  // s caron
    EXPECT_EQ(pf::AnsiCharUpper(0xFF), 0x9F);  // y diaeresis has its capital elsewhere in the page
    EXPECT_EQ(pf::AnsiCharUpper(0xDF), 0xDF);  // sharp s has no single capital
    EXPECT_EQ(pf::AnsiCharUpper(0xB5), 0xB5);  // micro sign's capital is not in the page
    EXPECT_EQ(pf::AnsiCharUpper('q'), 'Q');
    EXPECT_EQ(pf::AnsiCharLower('1'), '1');
    ASSERT_TRUE(pf::SetAnsiCodePage(1251));
    EXPECT_EQ(pf::AnsiCharUpper(0xE0), 0xC0);  // Cyrillic a
    EXPECT_EQ(pf::AnsiCharUpper(0xE9), 0xC9);  // the same byte is a different letter here
    EXPECT_EQ(pf::AnsiCharLower(0xA8), 0xB8);  // Cyrillic io
}

TEST_F(CodePageTest, Utf8EncodedSurrogateBecomesOneReplacementPerByte) {
    TQ_SKIP_UNDER_WINE("Wine's MultiByteToWideChar turns the encoded surrogate ED A0 80 into two U+FFFD");
    const TQWChar r = TQWChar(0xFFFD);
    EXPECT_EQ(Wide(pf::kCodePageUtf8, "\xED\xA0\x80|"), (TQWString{r, r, r, TQWChar('|')}));
}

TEST_F(CodePageTest, Utf8CodecReplacesOrRejectsInvalidInput) {
    const std::string mixed = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    const TQWString wide = Wide(pf::kCodePageUtf8, mixed);
    EXPECT_EQ(wide,
              (TQWString{TQWChar('a'), TQWChar(0xE9), TQWChar(0x20AC), TQWChar(0xD83D), TQWChar(0xDE00)}));
    EXPECT_EQ(Narrow(pf::kCodePageUtf8, wide), mixed);
    // Overlong form, truncated sequence, stray continuation: each maximal bad part is one U+FFFD.
    const TQWString bad = Wide(pf::kCodePageUtf8, "\xC0\xAF|\xE2\x82|\x80");
    const TQWChar r = TQWChar(0xFFFD);
    EXPECT_EQ(bad, (TQWString{r, r, TQWChar('|'), r, TQWChar('|'), r}));
    EXPECT_EQ(pf::MultiByteToWide(pf::kCodePageUtf8, pf::kConvertStrict, "\xE2\x82", 2, nullptr, 0), 0);
    EXPECT_EQ(pf::GetLastError(), pf::kWinNoUnicodeTranslation);
    const TQWString lone = {TQWChar('x'), TQWChar(0xD800)};
    EXPECT_EQ(Narrow(pf::kCodePageUtf8, lone), "x\xEF\xBF\xBD");
    EXPECT_EQ(pf::WideToMultiByte(pf::kCodePageUtf8, pf::kConvertStrict, lone.data(), 2, nullptr, 0), 0);
}

TEST_F(CodePageTest, WideCaseAndBstrBlocks) {
    EXPECT_EQ(pf::WideToUpper(TQWChar(0x03B1)), TQWChar(0x0391));  // Greek alpha
    EXPECT_EQ(pf::WideToLower(TQWChar('Q')), TQWChar('q'));
    EXPECT_EQ(pf::WideToUpper(TQWChar(0xD800)), TQWChar(0xD800));
    const TQWString text = {TQWChar('h'), TQWChar(0), TQWChar('i')};
    TQWChar* b = pf::SysAllocStringLen(text.data(), 3);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(pf::SysStringLen(b), 3u);  // the embedded NUL does not end it
    EXPECT_EQ(TQWString(b, 3), text);
    EXPECT_EQ(b[3], TQWChar(0));
    pf::SysFreeString(b);
    TQWChar* empty = pf::SysAllocStringLen(nullptr, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(pf::SysStringLen(empty), 0u);
    pf::SysFreeString(empty);
    EXPECT_EQ(pf::SysStringLen(nullptr), 0u);
    pf::SysFreeString(nullptr);
}

}  // namespace
