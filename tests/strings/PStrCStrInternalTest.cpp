#include <cstring>

#include "StringTestSupport.h"

namespace {

using strtest::P;
using strtest::Reports;
using strtest::Sign;
using strtest::Text;

using PStrTest = strtest::StringTest;
using CStrTest = strtest::StringTest;

TEST_F(PStrTest, ComparisonsReturnByteDifferences) {
    EXPECT_EQ(PStrCmp(P("abc"), P("abd")), 'c' - 'd');
    EXPECT_EQ(PStrCmp(P("ab"), P("abc")), -1);
    EXPECT_EQ(PStrCmp(P("\xE9"), P("a")), 0xE9 - 'a');
    EXPECT_EQ(PStrEqual(P("same"), P("same")), 1);
    EXPECT_EQ(PStrEqual(P("same"), P("sam")), 0);
    EXPECT_EQ(PStrCaseCmp(P("Hello"), P("hELLO")), 0);
    EXPECT_EQ(PStrCaseCmp(P("a"), P("B")), 'a' - 'b');
    EXPECT_EQ(PStrCaseEqual(P("\xC0x"), P("\xE0X")), 1);
    EXPECT_EQ(PStrCaseEqual(P("ab"), P("abc")), 0);
    P a("Alpha"), b("alpha");
    ConstPStr pa = a, pb = b;
    EXPECT_LT(PPStrCmp(&pa, &pb), 0);
    EXPECT_EQ(PPStrEqual(&pa, &pb), 0);
    EXPECT_EQ(PPStrCaseCmp(&pa, &pb), 0);
    EXPECT_EQ(PPStrCaseEqual(&pa, &pb), 1);
    EXPECT_EQ(PLStrCmp(P("abc"), *Make("abc")), 0);
    EXPECT_EQ(PLStrCmp(P("abc"), nullptr), 3);
    EXPECT_EQ(PLStrCaseCmp(P("ABC"), *Make("abd")), 'c' - 'd');

    const uChar x[] = "xyz";
    EXPECT_EQ(PtrLenStrCmp(x, 3, x, 3), 0);
    EXPECT_EQ(PtrLenStrCmp(nullptr, 0, x, 0), 0);
    EXPECT_EQ(PtrLenStrCmp(x, 0, nullptr, 5), 0);
    EXPECT_EQ(PtrLenStrCmp(nullptr, 2, x, 3), -1);
    EXPECT_EQ(PtrLenStrCmp(x, 3, nullptr, 1), 1);
    EXPECT_EQ(PtrLenStrCmp(x, 2, reinterpret_cast<const uChar*>("xz"), 2), 'y' - 'z');
    EXPECT_EQ(PtrLenStrCaseCmp(x, 3, reinterpret_cast<const uChar*>("XYZW"), 4), -1);
}

TEST_F(PStrTest, CopiesAndConcatenationClip) {
    Str255 d;
    EXPECT_EQ(PStrCpy(d, P("copy")), d);
    EXPECT_EQ(Text(d), "copy");
    P src("abc");
    Str255 n;
    n[0] = 9;
    PStrNCpy(n, src, 2);
    EXPECT_EQ(n[0], 1);
    EXPECT_EQ(n[1], 'a');
    PStrNCpy(n, src, 100);
    EXPECT_EQ(Text(n), "abc");
    PStrNCpy(n, src, 0);
    EXPECT_EQ(Text(n), "abc");
    P big(std::string(200, 'x'));
    EXPECT_EQ(PStrCat(big, P(std::string(100, 'y'))), 255);
    EXPECT_EQ(big.buf[255], 'y');
    EXPECT_EQ(big.buf[200], 'x');

    PStr dup = PStrDup(P("dup"));
    ASSERT_NE(dup, nullptr);
    EXPECT_EQ(Text(dup), "dup");
    DSDisposePtr(dup);
    EXPECT_EQ(PStrDup(nullptr), nullptr);

    P t("ab");
    t.buf[3] = 'z';
    EXPECT_EQ(PStrNullTerminate(t), 2);
    EXPECT_EQ(t.buf[3], 0);
    P full(std::string(255, 'f'));
    EXPECT_EQ(PStrNullTerminate(full), 255);
    EXPECT_EQ(full.buf[255], 0);
    P full2(std::string(255, 'f'));
    EXPECT_EQ(PStrTerminateIfPossible(full2), 255);
    EXPECT_EQ(full2.buf[255], 'f');
}

TEST_F(PStrTest, SearchSuffixSplitAndReplace) {
    EXPECT_EQ(PStrEndsWith(P("File.TXT"), ".txt"), 1);
    EXPECT_EQ(PStrEndsWith(P("File.txt"), ".TXT"), 0);
    EXPECT_EQ(PStrEndsWith(P("x"), ""), 1);
    EXPECT_EQ(PStrEndsWith(P("x"), "xx"), 0);

    EXPECT_EQ(PStrInPStr(P("hello"), 0, P("LL")), 4);
    EXPECT_EQ(PStrInPStr(P("hello"), 5, P("LL")), -1);
    EXPECT_EQ(PStrInPStr(P("hello"), 3, P("LL")), -1);
    EXPECT_EQ(PStrInPStr(P("hello"), 0, P("")), -1);
    EXPECT_EQ(PStrInPStr(P("hello"), -1, P("h")), -1);
    EXPECT_EQ(PStrInPStr(P("abcabc"), 1, P("A")), 4);

    Str255 before, after;
    EXPECT_EQ(PStrSplitAtChar(P("a\\,b,c"), ',', before, after), 1);
    EXPECT_EQ(Text(before), "a,b");
    EXPECT_EQ(Text(after), "c");
    EXPECT_EQ(PStrSplitAtChar(P("x\\,y"), ',', before, after), 0);
    EXPECT_EQ(Text(before), "x,y");
    EXPECT_EQ(after[0], 0);
    EXPECT_EQ(PStrSplitAtChar(P(",tail"), ',', before, after), 1);
    EXPECT_EQ(Text(before), "");
    EXPECT_EQ(Text(after), "tail");

    Str255 d;
    EXPECT_EQ(PStrFindReplace(d, P("a.b.c"), ".", "::"), 1);
    EXPECT_EQ(Text(d), "a::b::c");
    EXPECT_EQ(PStrFindReplace(d, P("aaa"), "aa", "b"), 1);
    EXPECT_EQ(Text(d), "ba");
    EXPECT_EQ(PStrFindReplace(d, P("none"), "x", "y"), 0);
    EXPECT_EQ(Text(d), "none");
    EXPECT_EQ(PStrFindReplace(d, P(std::string(200, '.')), ".", ".."), 0);
    EXPECT_EQ(d[0], 0);
    EXPECT_EQ(PStrFindReplace(d, P("abc"), "", "z"), 0);
    EXPECT_EQ(Text(d), "abc");
    // The source may be the destination.
    P same("1-2");
    EXPECT_EQ(PStrFindReplace(same, same, "-", "+"), 1);
    EXPECT_EQ(Text(same.buf), "1+2");
}

TEST_F(PStrTest, HashFollowsTheElfRule) {
    EXPECT_EQ(PStrHash32(P("abc"), 0), 0x6783u);
    EXPECT_EQ(PStrHash32(P("abc"), 1), 0x4563u);
    EXPECT_EQ(PStrHash32(P("ABC"), 1), 0x4563u);
    EXPECT_EQ(PStrHash32(P(""), 0), 0u);
    EXPECT_EQ(PStrHash32(nullptr, 1), 0u);
    // Long input exercises the high-nibble fold and never leaves the low 28 bits.
    const uInt32 h = PStrHash32(P(std::string(100, 'z')), 0);
    EXPECT_EQ(h & 0xF0000000u, 0u);
    EXPECT_NE(h, PStrHash32(P(std::string(99, 'z')), 0));
}

TEST_F(CStrTest, ComparisonsAndUtilities) {
    EXPECT_EQ(StrCmp("abc", "abd"), -1);
    EXPECT_EQ(StrCmp("abc", "ab"), 1);
    EXPECT_EQ(StrCmp("ab", "abcd"), -2);
    EXPECT_EQ(StrEqual("x", "x"), 1);
    EXPECT_EQ(StrNCmp("abcX", "abcY", 3), 0);
    EXPECT_EQ(StrNCmp("ab", "abcd", 3), -1);
    EXPECT_EQ(StrNCmp("q", "r", 0), 0);
    EXPECT_EQ(StrNEqual("abX", "abY", 2), 1);
    EXPECT_EQ(StrNEqual("abX", "abY", 3), 0);
    EXPECT_EQ(StrCaseCmp("HeLLo", "hello"), 0);
    EXPECT_EQ(StrCaseCmp("\xC9", "\xE9"), 0);
    EXPECT_LT(StrCaseCmp("a", "B"), 0);
    EXPECT_EQ(StrNCaseCmp("ABCx", "abcy", 3), 0);
    EXPECT_EQ(StrNCaseEqual("ABCx", "abcy", 4), 0);
    EXPECT_EQ(StrNCaseEqual("x", "y", 0), 1);

    char buf[16];
    EXPECT_EQ(StrLen("four"), 4);
    EXPECT_EQ(StrLen(nullptr), 0);
    EXPECT_EQ(StrCpy(buf, "ab"), buf);
    EXPECT_EQ(StrCat(buf, "cd"), 4);
    EXPECT_STREQ(buf, "abcd");
    std::memset(buf, 'z', sizeof buf);
    StrNCpy(buf, "xy", 5);
    EXPECT_EQ(std::memcmp(buf, "xy\0\0\0z", 6), 0);
    const char* s = "a/b/c";
    EXPECT_EQ(StrChr(s, '/'), s + 1);
    EXPECT_EQ(StrRChr(s, '/'), s + 3);
    EXPECT_EQ(StrChr(s, 0), nullptr);
    EXPECT_EQ(StrRChr(s, 'q'), nullptr);

    EXPECT_EQ(StrIStr("hel lo world", "LLO"), 1);
    EXPECT_EQ(StrIStr("hel\tlo", "ello"), 1);
    EXPECT_EQ(StrIStr("hello", "world"), 0);
    EXPECT_EQ(StrIStr("", ""), 0);
    EXPECT_EQ(StrIStr("x", ""), 1);
    EXPECT_EQ(StrIStr("abc", "abcd"), 0);
}

TEST_F(CStrTest, ClassificationAndCaseFollowTheCodePage) {
    EXPECT_TRUE(IsAlpha('q'));
    EXPECT_FALSE(IsAlpha(0xE9));
    EXPECT_TRUE(IsDigit('7'));
    EXPECT_FALSE(IsDigit('a'));
    for (int c : {'!', '/', ':', '@', '[', '`', '{', '~'}) EXPECT_TRUE(IsPunct(c)) << c;
    for (int c : {int(' '), int('0'), int('A'), 0x7F}) EXPECT_FALSE(IsPunct(c)) << c;
    EXPECT_TRUE(IsLower(0xE9));
    EXPECT_TRUE(IsUpper(0xC9));
    EXPECT_FALSE(IsLower('1'));
    EXPECT_EQ(ToUpper(0xE9), 0xC9);
    EXPECT_EQ(ToLower('Q'), 'q');
    EXPECT_EQ(ToLower(0x10041), 0x10041);
    EXPECT_EQ(ToLower(-3), -3);
    char text[] = "Mixed \xC9t\xE9";
    StrToUpper(text, 5);
    EXPECT_STREQ(text, "MIXED \xC9t\xE9");
    StrToLower(text, int32(std::strlen(text)));
    EXPECT_STREQ(text, "mixed \xE9t\xE9");
    EXPECT_EQ(HexChar(0x1F), 'F');
    EXPECT_EQ(HexChar(10), 'A');
    EXPECT_EQ(HexChar(3), '3');
}

TEST_F(CStrTest, AnsiSteppingInADoubleBytePage) {
    const char* s =
        "a\x83\x5C"
        "b";
    EXPECT_EQ(StrNextChar(s, 1), 2);  // single-byte page: each byte alone
    EXPECT_EQ(StrPrevChar(s, 3), 2);
    ASSERT_TRUE(tq::platform::SetAnsiCodePage(932));
    EXPECT_EQ(StrNextChar(s, 0), 1);
    EXPECT_EQ(StrNextChar(s, 1), 3);
    EXPECT_EQ(StrNextChar(s, 4), 5);  // at the terminator
    EXPECT_EQ(StrPrevChar(s, 3), 1);
    EXPECT_EQ(StrPrevChar(s, 0), 0);
    EXPECT_TRUE(Reports().empty());
    EXPECT_EQ(StrPrevChar(s, -2), 0);
    ASSERT_EQ(Reports().size(), 1u);
    EXPECT_EQ(Reports()[0].level, kDbgError);
    EXPECT_EQ(Reports()[0].text, "Negative index into string in StrPrevChar");

    const char* t = "\x83\x5C\x83\x5D";
    EXPECT_EQ(StrCharacterEqual(s + 1, s + 4, t, t + 4), 2);
    EXPECT_EQ(StrCharacterEqual(s + 1, s + 4, t + 2, t + 4), 0);
    EXPECT_EQ(StrCharacterEqual(s + 1, s + 2, t, t + 4), 0);  // the character runs past its end
    EXPECT_EQ(StrCharacterEqual(s, s + 1, "ab", nullptr), 0);
    EXPECT_EQ(StrCharacterEqual("", "" + 1, "", "" + 1), 1);
}

TEST_F(CStrTest, Utf8LeadByteStepping) {
    int32 next = -1;
    EXPECT_EQ(StrValidateAndGetNextChar("\xC3\xA9", 0, &next), kErrNone);
    EXPECT_EQ(next, 2);
    EXPECT_EQ(StrValidateAndGetNextChar("ab\x80", 2, &next), kErrBadCharEncoding);
    const struct {
        uChar lead;
        int32 width;
    } widths[] = {{0x41, 1}, {0xDF, 2}, {0xEF, 3}, {0xF7, 4}, {0xFB, 5}, {0xFD, 6}, {0xFE, 0}, {0xFF, 0}};
    for (const auto& w : widths) {
        const char s[2] = {char(w.lead), 0};
        const TqErr err = StrValidateAndGetNextChar(s, 0, &next);
        if (w.width) {
            EXPECT_EQ(err, kErrNone) << int(w.lead);
            EXPECT_EQ(next, w.width) << int(w.lead);
        } else {
            EXPECT_EQ(err, kErrBadCharEncoding) << int(w.lead);
        }
    }
    EXPECT_EQ(StrValidateAndGetNextChar(nullptr, 0, &next), kErrArgument);
    EXPECT_EQ(StrValidateAndGetNextChar("a", 0, nullptr), kErrArgument);

    const char* u =
        "a\xC3\xA9\xE2\x82\xAC"
        "b";
    int32 count = -1;
    EXPECT_EQ(StrCharCount(u, 0, 7, &count), kErrNone);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(StrCharCount(u, 1, 6, &count), kErrNone);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(StrCharCount(u, 0, 5, &count), kErrArgument);  // the euro sign would cross the end
    EXPECT_EQ(count, 2);
    EXPECT_EQ(StrCharCount(u, 2, 7, &count), kErrBadCharEncoding);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(StrCharCount(u, 5, 3, &count), kErrNone);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(StrCharCount(nullptr, 0, 1, &count), kErrArgument);
    EXPECT_EQ(StrCharCount(u, -1, 1, &count), kErrArgument);
    EXPECT_EQ(StrCharCount(u, 0, 1, nullptr), kErrArgument);
}

TEST_F(PStrTest, DupReportsNothingOnSuccessAndSignsAgree) {
    // Every comparison family orders the same pair the same way.
    const char* a = "apple";
    const char* b = "Apricot";
    const int expect = Sign(StrCaseCmp(a, b));
    EXPECT_EQ(Sign(PStrCaseCmp(P(a), P(b))), expect);
    EXPECT_EQ(Sign(LStrCaseCmp(*Make(a), *Make(b))), expect);
    EXPECT_EQ(
        Sign(PtrLenStrCaseCmp(reinterpret_cast<const uChar*>(a), 5, reinterpret_cast<const uChar*>(b), 7)),
        expect);
    EXPECT_EQ(Sign(StrCmp(a, b)), Sign(LStrCmp(*Make(a), *Make(b))));
    EXPECT_TRUE(Reports().empty());
}

}  // namespace
