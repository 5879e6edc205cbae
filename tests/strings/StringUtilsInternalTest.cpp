#include <cstring>
#include <string>
#include <vector>

#include "StringTestSupport.h"
#include "strings/LStrArray.h"
#include "strings/Services.h"
#include "support/TestHost.h"

namespace {

using strtest::P;
using strtest::Text;
using namespace StringUtils;

using StringUtilsTest = strtest::StringTest;

TQWString W(const char16_t* s) {
    TQWString out;
    for (; *s; ++s) out.push_back(TQWChar(*s));
    return out;
}

TEST_F(StringUtilsTest, NarrowWideAndUtf8Conversions) {
    const std::string ansi = "caf\xE9 \x80";
    const TQWString wide = ToWideString(ansi, kInputAnsi);
    EXPECT_EQ(wide, W(u"caf\u00E9 \u20AC"));
    EXPECT_EQ(ToNarrowString(wide), ansi);
    const std::string utf8 = ToUTF8String(ansi);
    EXPECT_EQ(utf8, "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(ToUTF8String(wide), utf8);
    EXPECT_EQ(ToWideString(utf8, kInputUtf8), wide);
    EXPECT_EQ(ToNarrowString(utf8, kInputUtf8), ansi);
    EXPECT_EQ(ToNarrowString(utf8, InputStringType(7)), ansi);  // any non-zero type is UTF-8
    EXPECT_EQ(ToNarrowString(utf8, kInputAnsi), utf8);
    EXPECT_EQ(ToNarrowString(W(u"\u65E5")), "?");  // no such character in the page
    EXPECT_EQ(ToWideString("", kInputAnsi), TQWString());

    std::string out = "old";
    EXPECT_EQ(&ToNarrowString(wide, out), &out);
    EXPECT_EQ(out, ansi);
    EXPECT_EQ(ToNarrowStringNoThrow(wide, nullptr), kErrArgument);
    EXPECT_EQ(ToNarrowStringNoThrow(wide, &out), kErrNone);
    TQWString wout;
    EXPECT_EQ(ToWideStringNoThrow(ansi, kInputAnsi, &wout), kErrNone);
    EXPECT_EQ(wout, wide);
    EXPECT_EQ(ToUTF8StringNoThrow(ansi, nullptr), kErrArgument);

    EXPECT_EQ(ConvertToUTF16(ansi), wide);
    EXPECT_EQ(ConvertToUTF16(ansi.c_str()), wide);
    EXPECT_EQ(ConvertToUTF16(ansi.c_str(), 3), W(u"caf"));
    EXPECT_EQ(ConvertFromUTF16(wide), ansi);
    EXPECT_EQ(ConvertFromUTF16(wide.c_str()), ansi);
    TQWChar wbuf[16];
    EXPECT_EQ(ConvertToUTF16("ab", wbuf, 16), 3);
    EXPECT_EQ(wbuf[2], TQWChar(0));
    EXPECT_EQ(ConvertToUTF16("abc", wbuf, 2), 0);
    char nbuf[16];
    EXPECT_EQ(ConvertFromUTF16(wide.c_str(), nbuf, 16), 7);
    EXPECT_STREQ(nbuf, ansi.c_str());
    EXPECT_EQ(ConvertToUTF16NoThrow(ansi, nullptr), kErrArgument);
}

TEST_F(StringUtilsTest, ConversionsFollowTheActiveCodePage) {
    ASSERT_TRUE(tq::platform::SetAnsiCodePage(932));
    const std::string sjis =
        "\x93\xFA\x96\x7B"
        "a";
    EXPECT_EQ(ToWideString(sjis, kInputAnsi), W(u"\u65E5\u672Ca"));
    EXPECT_EQ(ToUTF8String(sjis),
              "\xE6\x97\xA5\xE6\x9C\xAC"
              "a");
    EXPECT_EQ(ConvertFromUTF16(W(u"\u65E5")), "\x93\xFA");
    std::string s = sjis;
    EXPECT_EQ(CodePageStringToUTF8String(932, s), 0);
    EXPECT_EQ(s,
              "\xE6\x97\xA5\xE6\x9C\xAC"
              "a");
    std::string western = "\xE9";
    EXPECT_EQ(CodePageStringToUTF8String(1252, western), 0);
    EXPECT_EQ(western, "\xC3\xA9");
    std::string empty;
    EXPECT_EQ(CodePageStringToUTF8String(1252, empty), 0);
    std::string other = "x";
    EXPECT_EQ(CodePageStringToUTF8String(4711, other), 1);
    EXPECT_EQ(other, "x");
}

TEST_F(StringUtilsTest, HostLanguageChoosesTheSourceCodePage) {
    TestHost japanese;
    japanese.language = "Japanese";
    TQAppInterfaceSet(&japanese);
    std::string s = "\x93\xFA";
    EXPECT_EQ(CodePageStringToUTF8String(s), 0);
    EXPECT_EQ(s, "\xE6\x97\xA5");
    TestHost unknown;
    unknown.language = "Klingon";
    TQAppInterfaceSet(&unknown);
    s = "\xE9";  // the ANSI code page (1252 here)
    EXPECT_EQ(CodePageStringToUTF8String(s), 0);
    EXPECT_EQ(s, "\xC3\xA9");
    TQAppInterfaceSet(nullptr);
    s = "\xE9";
    EXPECT_EQ(CodePageStringToUTF8String(s), 0);
    EXPECT_EQ(s, "\xC3\xA9");
}

TEST_F(StringUtilsTest, BufferAndAllocatingUtf8Forms) {
    const TQWString wide = W(u"a\u00E9\u20AC");
    char out[8];
    EXPECT_EQ(ToUTF8FromWideString(wide.data(), 3, out, 8), 0);
    EXPECT_STREQ(out, "a\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(ToUTF8FromWideString(wide.data(), 3, out, 6), 1);  // no room for the terminator
    EXPECT_EQ(ToUTF8FromWideString(wide.c_str(), out, 8), 0);
    EXPECT_EQ(ToUTF8FromWideString(nullptr, 3, out, 8), 1);
    EXPECT_EQ(ToUTF8FromWideString(wide.data(), 0, out, 8), 0);
    EXPECT_STREQ(out, "");
    char* alloc = nullptr;
    int32 n = 0;
    ASSERT_EQ(ToUTF8FromWideString(wide.data(), 3, &alloc, &n), 0);
    EXPECT_EQ(n, 6);
    EXPECT_EQ(std::string(alloc, size_t(n)), "a\xC3\xA9\xE2\x82\xAC");
    delete[] alloc;
    EXPECT_EQ(ToUTF8FromWideString(wide.data(), 0, &alloc, &n), 1);

    TQWChar wout[8];
    EXPECT_EQ(ToWideStringFromUTF8("a\xC3\xA9", 3, wout, 8), 0);
    EXPECT_EQ(TQWString(wout), W(u"a\u00E9"));
    EXPECT_EQ(ToWideStringFromUTF8("abc", wout, 3), 1);
    TQWChar* walloc = nullptr;
    ASSERT_EQ(ToWideStringFromUTF8("\xF0\x9F\x98\x80", &walloc, &n), 0);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(walloc[0], TQWChar(0xD83D));
    delete[] walloc;
    EXPECT_EQ(ToWideStringFromUTF8(nullptr, &walloc, &n), 1);
}

// A buffer of `size` units followed by guard units that no conversion may touch.
template <class C>
class GuardedBuffer {
  public:
    static constexpr C kGuard = C(0x5A);
    explicit GuardedBuffer(int32 size) : size_(size), units_(size_t(size) + 4, kGuard) {}
    C* data() { return units_.data(); }
    int32 size() const { return size_; }
    bool GuardsIntact() const {
        for (size_t i = size_t(size_); i < units_.size(); ++i)
            if (units_[i] != kGuard) return false;
        return true;
    }
    // Up to the first NUL, never reading past the guards.
    std::basic_string<C> Text() const {
        const std::basic_string<C> all(units_.begin(), units_.end());
        return all.substr(0, all.find(C(0)));
    }

  private:
    int32 size_;
    std::vector<C> units_;
};

// Every size from none to more than enough: success exactly when the text and its NUL fit, nothing written
// past the size, and a failure leaves an empty text rather than a torn one.
TEST_F(StringUtilsTest, Utf8BufferFormsStayInsideEverySize) {
    const TQWString wide = W(u"a\u00E9\u20AC\U0001F600");
    const std::string utf8 = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    for (int32 size = 0; size <= int32(utf8.size()) + 2; ++size) {
        SCOPED_TRACE(size);
        GuardedBuffer<char> out(size);
        const int32 r = ToUTF8FromWideString(wide.data(), int32(wide.size()), out.data(), size);
        EXPECT_EQ(r, size > int32(utf8.size()) ? 0 : 1);
        EXPECT_TRUE(out.GuardsIntact());
        if (size > 0) {
            EXPECT_EQ(out.Text(), r == 0 ? utf8 : "");
        }
    }
    for (int32 size = 0; size <= int32(wide.size()) + 2; ++size) {
        SCOPED_TRACE(size);
        GuardedBuffer<TQWChar> out(size);
        const int32 r = ToWideStringFromUTF8(utf8.data(), int32(utf8.size()), out.data(), size);
        EXPECT_EQ(r, size > int32(wide.size()) ? 0 : 1);
        EXPECT_TRUE(out.GuardsIntact());
        if (size > 0) {
            EXPECT_EQ(out.Text(), r == 0 ? wide : TQWString());
        }
        GuardedBuffer<TQWChar> terminated(size);
        EXPECT_EQ(ToWideStringFromUTF8(utf8.c_str(), terminated.data(), size), r);
        EXPECT_TRUE(terminated.GuardsIntact());
    }
}

// The ANSI buffer forms count the NUL: units written, or 0 when the text does not fit, in a single- and a
// double-byte page.
TEST_F(StringUtilsTest, AnsiBufferFormsStayInsideEverySize) {
    struct Case {
        uInt32 codePage;
        std::string ansi;
        TQWString wide;
    };
    const Case cases[] = {{1252, "caf\xE9 \x80", W(u"caf\u00E9 \u20AC")},
                          {932, "a\x93\xFA\x96{", W(u"a\u65E5\u672C")}};
    for (const Case& c : cases) {
        ASSERT_TRUE(tq::platform::SetAnsiCodePage(c.codePage));
        const int32 wideFits = int32(c.wide.size()) + 1, ansiFits = int32(c.ansi.size()) + 1;
        for (int32 size = 0; size <= ansiFits + 1; ++size) {
            SCOPED_TRACE(testing::Message() << c.codePage << " size " << size);
            GuardedBuffer<TQWChar> wout(size);
            const int32 w = ConvertToUTF16(c.ansi.c_str(), wout.data(), size);
            EXPECT_EQ(w, size >= wideFits ? wideFits : 0);
            EXPECT_TRUE(wout.GuardsIntact());
            if (w > 0) {
                EXPECT_EQ(wout.Text(), c.wide);
            }
            GuardedBuffer<char> nout(size);
            const int32 n = ConvertFromUTF16(c.wide.c_str(), nout.data(), size);
            EXPECT_EQ(n, size >= ansiFits ? ansiFits : 0);
            EXPECT_TRUE(nout.GuardsIntact());
            if (n > 0) {
                EXPECT_EQ(nout.Text(), c.ansi);
            }
        }
    }
}

TEST_F(StringUtilsTest, LibraryFormsHandlesArraysAndBstrs) {
    LStrHandle h = ToLStrHandle(std::string("hello"));
    ASSERT_NE(h, nullptr);
    owned_.push_back(h);
    EXPECT_EQ(Text(h), "hello");
    EXPECT_EQ(strtest::BlockSize(h), 9);
    EXPECT_EQ(ToLStrHandle(std::string("hi"), &h), h);
    EXPECT_EQ(Text(h), "hi");
    EXPECT_EQ(strtest::BlockSize(h), 6);
    EXPECT_EQ(ToLStrHandleNoThrow(std::string("x"), nullptr), kErrArgument);
    EXPECT_EQ(ToLStrHandleNoThrow(W(u"\u00E9"), &h), kErrNone);
    EXPECT_EQ(Text(h), "\xE9");
    EXPECT_EQ(ToNarrowString(h, kKeepInput), "\xE9");
    EXPECT_EQ(ToNarrowString(*h), "\xE9");
    EXPECT_EQ(ToNarrowString(static_cast<const LStr* const*>(h)), "\xE9");
    EXPECT_EQ(ToWideString(*h), W(u"\u00E9"));
    EXPECT_EQ(ToNarrowString(static_cast<const LStr*>(nullptr)), "");
    EXPECT_EQ(ToNarrowString(P("pas")), "pas");
    EXPECT_EQ(ToWideString(ConstPStr(P("pas"))), W(u"pas"));
    LStrHandle consumed = ToLStrHandle(std::string("gone"));
    EXPECT_EQ(ToWideString(consumed, kDeallocateInput), W(u"gone"));  // disposed after reading

    _LStrArray** a = nullptr;
    ASSERT_EQ(ToLStrArrayHandleNoThrow({"one", "", "three"}, &a), kErrNone);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ((*a)->cnt, 3);
    EXPECT_EQ(Text((*a)->elt[0]), "one");
    EXPECT_EQ(DSGetHandleSize(reinterpret_cast<UHandle>(a)), 8 + 3 * 8);
    ASSERT_EQ(ToLStrArrayHandleNoThrow({"replaced"}, &a), kErrNone);
    EXPECT_EQ((*a)->cnt, 1);
    std::vector<std::string> v = {"stale"};
    ToNarrowStringVector(a, &v, kKeepInput);
    EXPECT_EQ(v, std::vector<std::string>{"replaced"});
    ASSERT_EQ(ReallocLStrArrayHandle(&a, 3), kErrNone);
    EXPECT_EQ((*a)->elt[2], nullptr);
    EXPECT_EQ(ToNarrowStringVectorNoThrow(a, &v, kDeallocateInput), kErrNone);
    EXPECT_EQ(v, (std::vector<std::string>{"replaced", "", ""}));
    ToNarrowStringVector(nullptr, &v, kKeepInput);
    EXPECT_TRUE(v.empty());
    EXPECT_EQ(ReallocLStrArrayHandle(nullptr, 1), kErrArgument);

    Str255 p;
    ToPStr(std::string(300, 'w'), p);
    EXPECT_EQ(p[0], 255);
    ToPStr(W(u"\u00E9"), p);
    EXPECT_EQ(Text(p), "\xE9");
    Str255Converter conv(std::string("conv"));
    EXPECT_EQ(Text(conv.PStr()), "conv");
    EXPECT_EQ(Text(Str255Converter(std::string(400, 'c')).PStr()).size(), 255u);

    TQWChar* b = ToBSTR(std::string("b\xE9"));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(BSTRLength(b), 2u);
    EXPECT_EQ(ToWideStringFromBSTR(b, kKeepInput), W(u"b\u00E9"));
    EXPECT_EQ(ToNarrowStringFromBSTR(b, kDeallocateInput), "b\xE9");
    EXPECT_EQ(ToBSTRNoThrow(W(u"x"), nullptr), kErrArgument);
    ASSERT_EQ(ToBSTRNoThrow(W(u"xy"), &b), kErrNone);
    EXPECT_EQ(ToNarrowStringFromBSTRNoThrow(b, kDeallocateInput, nullptr),
              kErrArgument);  // freed all the same
}

TEST_F(StringUtilsTest, CaseTablesServiceAndLanguages) {
    IServiceObject* service = tq::strings::StringUtilsLocaleCacheService();
    EXPECT_STREQ(service->Name(), "StringUtilsLocaleCache");
    ASSERT_EQ(service->Init(), kErrNone);
    EXPECT_EQ(LanguageToCodePage("JAPANESE"), 932u);
    EXPECT_EQ(LanguageToCodePage("korean"), 949u);
    EXPECT_EQ(LanguageToCodePage("ChineseS"), 936u);
    EXPECT_EQ(LanguageToCodePage("German"), 1252u);
    EXPECT_EQ(LanguageToCodePage("Spanish"), 0u);
    EXPECT_EQ(LanguageToCodePage("Englis"), 0u);
    service->Uninit();

    EXPECT_EQ(CaseInsensitiveCompare(std::string("ABC"), std::string("abd")), -1);
    EXPECT_EQ(CaseInsensitiveCompare(std::string("abc"), std::string("ABC")), 0);
    EXPECT_EQ(CaseInsensitiveCompare(std::string("abcd"), std::string("ABC")), 1);
    EXPECT_EQ(CaseInsensitiveCompare(W(u"\u00C9a"), W(u"\u00E9A")), 0);
    EXPECT_TRUE(CaseInsensitiveEqual(std::string("MiXeD"), std::string("mixed")));
    EXPECT_FALSE(CaseInsensitiveEqual(std::string("a"), std::string("ab")));
    EXPECT_TRUE(CaseInsensitiveEqual(W(u"\u03B1x"), W(u"\u0391X")));
    EXPECT_TRUE(CaseInsensitiveEqual(static_cast<const char*>(nullptr), 0, "", 0));

    EXPECT_EQ(Hash(std::string("abc"), false), 0x6783u);
    EXPECT_EQ(Hash(std::string("abc"), true), 0x4563u);
    EXPECT_EQ(Hash(reinterpret_cast<const uChar*>("abc\0def"), 7, false), 0x6783u);  // stops at the NUL
    EXPECT_EQ(Hash(reinterpret_cast<const uChar*>("abc"), false), 0x6783u);
    P e9("\xE9");
    EXPECT_NE(Hash(std::string("\xE9"), false), PStrHash32(e9, 0));
    EXPECT_EQ(Hash(std::string("\xE9"), false), 0x0FFFFF19u);  // the byte adds as a negative value
    std::string low = "aBc";
    ToUpperCase(low);
    EXPECT_EQ(low, "ABC");
    ToLowerCase(low);
    EXPECT_EQ(low, "abc");
    TQWString wl = W(u"\u0391b");
    ToLowerCase(wl);
    EXPECT_EQ(wl, W(u"\u03B1b"));
    ToUpperCase(wl);
    EXPECT_EQ(wl, W(u"\u0391B"));
}

TEST_F(StringUtilsTest, PiecesSplitJoinTrim) {
    EXPECT_TRUE(StartsWith(std::string("prefix"), std::string("pre")));
    EXPECT_FALSE(StartsWith(std::string("pr"), std::string("pre")));
    EXPECT_TRUE(StartsWith(std::string("x"), 'x'));
    EXPECT_FALSE(StartsWith(std::string(), 'x'));
    EXPECT_TRUE(EndsWith(std::string("name.txt"), std::string(".txt")));
    EXPECT_FALSE(EndsWith(std::string("name.TXT"), std::string(".txt")));
    EXPECT_TRUE(EndsWith(W(u"ab"), TQWChar('b')));
    EXPECT_TRUE(StartsWith(W(u"ab"), W(u"a")));
    EXPECT_EQ(Left(std::string("abc"), 0), "abc");
    EXPECT_EQ(Left(std::string("abc"), 2), "ab");
    EXPECT_EQ(Right(std::string("abc"), 5), "abc");
    EXPECT_EQ(Right(std::string("abc"), 1), "c");
    EXPECT_EQ(Right(W(u"abc"), 2), W(u"bc"));

    std::vector<std::string> v = {"stale"};
    Split("a,,b", ",", &v, kKeepEmptyPieces);
    EXPECT_EQ(v, (std::vector<std::string>{"a", "", "b"}));
    Split("a,,b,", ",", &v, kRemoveEmptyPieces);
    EXPECT_EQ(v, (std::vector<std::string>{"a", "b"}));
    Split("x;y z", "; ", &v, kKeepEmptyPieces);
    EXPECT_EQ(v, (std::vector<std::string>{"x", "y", "z"}));
    Split("", ",", &v, kKeepEmptyPieces);
    EXPECT_EQ(v, std::vector<std::string>{""});
    Split("", ",", &v, kRemoveEmptyPieces);
    EXPECT_TRUE(v.empty());
    std::string joined = "stale";
    Join({"a", "b", "c"}, ", ", &joined);
    EXPECT_EQ(joined, "a, b, c");
    Join({}, ", ", &joined);
    EXPECT_EQ(joined, "");
    std::vector<TQWString> wv;
    Split(W(u"p|q"), W(u"|"), &wv, kKeepEmptyPieces);
    TQWString wj;
    Join(wv, W(u"+"), &wj);
    EXPECT_EQ(wj, W(u"p+q"));

    std::string t = "  x\t";
    Trim(&t, kTrimLeading);
    EXPECT_EQ(t, "x\t");
    t = " \t x y \t";
    Trim(&t, kTrimTrailing);
    EXPECT_EQ(t, " \t x y");
    Trim(&t, kTrimBoth);
    EXPECT_EQ(t, "x y");
    t = " \t ";
    Trim(&t, kTrimLeading);
    EXPECT_EQ(t, "");
    TQWString wt = W(u" w ");
    Trim(&wt, kTrimBoth);
    EXPECT_EQ(wt, W(u"w"));
}

TEST_F(StringUtilsTest, ReplaceCommentsQuotesAndAppends) {
    std::string s = "aXbXc";
    SearchAndReplace(&s, "X", "XX");
    EXPECT_EQ(s, "aXXbXXc");
    s = "x.x.x";
    SearchAndReplaceFromPosition(s, "x", "y", 1);
    EXPECT_EQ(s, "x.y.y");
    SearchAndReplaceFromPosition(s, "y", "z", 99);
    EXPECT_EQ(s, "x.y.y");
    s = "one two one";
    EXPECT_EQ(SearchAndReplaceTheFirst(&s, "one", "1"), 6u);
    EXPECT_EQ(s, "1 two one");
    EXPECT_EQ(SearchAndReplaceTheFirst(&s, "one", "1"), std::string::npos);
    EXPECT_EQ(SearchAndReplaceTheFirst(&s, "zzz", "1"), std::string::npos);
    EXPECT_EQ(SearchAndReplaceTheFirst(static_cast<std::string*>(nullptr), "a", "b"), std::string::npos);
    SearchAndReplace(&s, "", "never");
    EXPECT_EQ(s, "1 two 1");

    std::string code = "a/*x*/b/*y*/c/*open";
    RemoveBlockComments(&code, "/*", "*/");
    EXPECT_EQ(code, "abc/*open");
    std::string lines = "a#b\r\nc";
    RemoveLineComments(&lines, "#");
    EXPECT_EQ(lines, "a\r\nc");
    std::string tail = "k # end";
    RemoveLineComments(&tail, "#");
    EXPECT_EQ(tail, "k ");

    EXPECT_TRUE(IsSurroundedByQuotes("\"q\""));
    EXPECT_TRUE(IsSurroundedByQuotes("'q'"));
    EXPECT_TRUE(IsSurroundedByQuotes("\""));
    EXPECT_FALSE(IsSurroundedByQuotes("\"q'"));
    EXPECT_FALSE(IsSurroundedByQuotes(""));

    std::string dst = "a";
    EXPECT_EQ(AppendNoThrow(dst, std::string("b")), kErrNone);
    EXPECT_EQ(AppendNoThrow(dst, "c"), kErrNone);
    EXPECT_EQ(AppendNoThrow(dst, ConstPStr(P("d"))), kErrNone);
    EXPECT_EQ(dst, "abcd");
    EXPECT_EQ(AssignNoThrow(dst, ConstPStr(P("new"))), kErrNone);
    EXPECT_EQ(dst, "new");
    TQWString wd;
    EXPECT_EQ(AppendNoThrow(wd, ConstPStr(P("\xE9"))), kErrNone);
    EXPECT_EQ(AssignNoThrow(wd, W(u"w")), kErrNone);
    EXPECT_EQ(wd, W(u"w"));
    EXPECT_TRUE(EmptyNarrowString().empty());
    EXPECT_TRUE(EmptyWideString().empty());
}

}  // namespace
