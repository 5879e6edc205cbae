#include <cstring>

#include "StringTestSupport.h"

namespace {

using strtest::BlockSize;
using strtest::P;
using strtest::Reports;
using strtest::Sign;
using strtest::Text;

using LStrTest = strtest::StringTest;

TEST_F(LStrTest, ConversionsIntoCallerStorageCutCStringsSilentlyAndReportCutLStrs) {
    alignas(8) char raw[64];
    LStr* l = reinterpret_cast<LStr*>(raw);
    EXPECT_EQ(CToLStr("hello", l), 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(l->str), 5), "hello");
    EXPECT_EQ(CToLStr(nullptr, l), 0);
    EXPECT_EQ(l->cnt, 0);
    EXPECT_EQ(PToLStr(P("abc"), l), 3);

    char c[8];
    std::memset(c, 'x', sizeof c);
    EXPECT_EQ(LToCStrN(l, c, 0), 0);
    EXPECT_EQ(c[0], 'x');
    EXPECT_EQ(LToCStrN(l, c, 1), 0);
    EXPECT_EQ(c[0], '\0');
    EXPECT_EQ(LToCStrN(l, c, 3), 2);
    EXPECT_STREQ(c, "ab");
    EXPECT_EQ(LToCStrNUnchecked(l, c, 8), 3);
    EXPECT_EQ(LToCStr(nullptr, c), 0);
    EXPECT_STREQ(c, "");

    CToLStr("a", l);
    l->cnt = 3;
    l->str[1] = 0;
    l->str[2] = 'b';
    int32 copied = -1;
    EXPECT_EQ(LToCStrNChecked(l, c, 8, &copied), kErrStringHasNull);
    EXPECT_EQ(copied, 3);
    EXPECT_EQ(LToCStrNChecked(l, c, 2, nullptr), kErrNone);  // the NUL lies beyond what was copied

    Str255 p;
    EXPECT_EQ(PToCStr(P("xyz"), c), 3);
    EXPECT_STREQ(c, "xyz");
    const std::string longC(300, 'k');
    EXPECT_EQ(CToPStr(longC.c_str(), p), 255);
    EXPECT_EQ(p[0], 255);
    EXPECT_TRUE(Reports().empty());  // C strings are cut silently
    // Long strings are not: the cut is reported.
    p[0] = 0;
    EXPECT_EQ(LToPStr(*Make(std::string(300, 'q')), p), 255);
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(p[255], 'q');
    ASSERT_EQ(Reports().size(), 1u);
    EXPECT_EQ(Reports()[0].level, kDbgError);
    EXPECT_EQ(Reports()[0].text, "LStr truncated when converting to PStr. Original LStr length=300");
    EXPECT_NE(Reports()[0].file.find("StringLStr"), std::string::npos);
    ReportCapture::Clear();
    EXPECT_EQ(LToPStr(nullptr, p), 0);
    EXPECT_EQ(LToPStr(*Make("exact"), p), 5);
    EXPECT_TRUE(Reports().empty());
}

TEST_F(LStrTest, FromPtrSizesExactlyAndEmptyMeansNull) {
    EXPECT_EQ(LStrFromPtr(nullptr, 3, "abc"), kErrArgument);
    LStrHandle h = nullptr;
    ASSERT_EQ(LStrFromPtr(&h, 3, "abc"), kErrNone);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(BlockSize(h), 7);
    EXPECT_EQ(Text(h), "abc");
    ASSERT_EQ(LStrFromPtr(&h, 10, "0123456789"), kErrNone);
    EXPECT_EQ(BlockSize(h), 14);
    // Copying from inside the handle's own text works.
    ASSERT_EQ(LStrFromPtr(&h, 4, (*h)->str + 6), kErrNone);
    EXPECT_EQ(Text(h), "6789");
    EXPECT_EQ(LStrFromPtr(&h, -1, "x"), kErrArgument);
    EXPECT_EQ(Text(h), "6789");
    EXPECT_EQ(LStrFromPtr(&h, 0, "abc"), kErrNone);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(LStrFromPtr(&h, 5, nullptr), kErrNone);
    EXPECT_EQ(h, nullptr);

    ASSERT_EQ(CToLHStr("hi", &h), kErrNone);
    EXPECT_EQ(Text(h), "hi");
    ASSERT_EQ(PToLHStr(P("pascal"), &h), kErrNone);
    EXPECT_EQ(Text(h), "pascal");
    ASSERT_EQ(PStrToDSLStr(P("dep"), &h), kErrNone);
    EXPECT_EQ(Text(h), "dep");
    EXPECT_EQ(CToLHStr("", &h), kErrNone);
    EXPECT_EQ(h, nullptr);
    EXPECT_TRUE(Reports().empty());
    // A failed creation is reported with its text.
    EXPECT_EQ(CToLHStr("abc", nullptr), kErrArgument);
    ASSERT_EQ(Reports().size(), 1u);
    EXPECT_EQ(Reports()[0].level, kDbgNote);
    EXPECT_EQ(Reports()[0].text, "CToLHStr FAILED:abc, size 3, 0");
    EXPECT_EQ(PToLHStr(P("xy"), nullptr), kErrArgument);
    ASSERT_EQ(Reports().size(), 2u);
    EXPECT_EQ(Reports()[1].text, "PToLHStr FAILED:xy, size 2, 0");
}

TEST_F(LStrTest, AppendAndPrependResizeExactly) {
    LStrHandle h = nullptr;
    EXPECT_EQ(LStrAppendCStr(&h, nullptr), kErrNone);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(LStrAppendCStr(nullptr, "x"), kErrArgument);
    ASSERT_EQ(LStrAppendCStr(&h, "ab"), kErrNone);
    owned_.push_back(h);
    EXPECT_EQ(Text(h), "ab");
    EXPECT_EQ(BlockSize(h), 6);
    ASSERT_EQ(LStrAppendPStr(&h, P("cd")), kErrNone);
    EXPECT_EQ(Text(h), "abcd");
    EXPECT_EQ(BlockSize(h), 8);
    ASSERT_EQ(LStrPrependCStr(&h, ">>"), kErrNone);
    EXPECT_EQ(Text(h), ">>abcd");
    EXPECT_EQ(BlockSize(h), 10);
    // A prefix taken from the string itself survives the move.
    ASSERT_EQ(LStrAppendChar(h, '\0'), kErrNone);
    ASSERT_EQ(LStrPrependCStr(&h, reinterpret_cast<char*>((*h)->str) + 2), kErrNone);
    EXPECT_EQ(Text(h), std::string("abcd>>abcd\0", 11));
    // Appending the string to itself doubles it.
    LStrHandle d = Make("xy");
    ASSERT_EQ(LStrCat(d, *d), kErrNone);
    EXPECT_EQ(Text(d), "xyxy");
    LStrHandle none = nullptr;
    EXPECT_EQ(LStrPrependCStr(&none, "x"), kErrNone);
    EXPECT_EQ(none, nullptr);
}

TEST_F(LStrTest, EfficientFormsKeepSlackAndCatTrims) {
    LStrHandle h = Make("ab");
    ASSERT_EQ(DSSetHandleSize(reinterpret_cast<UHandle>(h), 40), kErrNone);
    ASSERT_EQ(LStrAppendChar(h, 'c'), kErrNone);
    EXPECT_EQ(BlockSize(h), 40);
    ASSERT_EQ(LStrCatEfficient(h, *Make("def")), kErrNone);
    EXPECT_EQ(BlockSize(h), 40);
    EXPECT_EQ(Text(h), "abcdef");
    ASSERT_EQ(LStrCat(h, *Make("g")), kErrNone);
    EXPECT_EQ(Text(h), "abcdefg");
    EXPECT_EQ(BlockSize(h), 4 + 7);
    LStrHandle exact = Make("x");
    ASSERT_EQ(LStrAppendChar(exact, 'y'), kErrNone);
    EXPECT_EQ(BlockSize(exact), 6);
    EXPECT_EQ(LStrCatEfficient(exact, nullptr), kErrNone);
    EXPECT_EQ(LStrCatEfficient(nullptr, *exact), kErrArgument);
    // Many efficient appends stay correct while the block grows ahead of the count.
    LStrHandle grow = Make("");
    std::string expect;
    LStrHandle piece = Make("0123456789");
    for (int i = 0; i < 500; ++i) {
        ASSERT_EQ(LStrCatEfficient(grow, *piece), kErrNone);
        expect += "0123456789";
    }
    EXPECT_EQ(Text(grow), expect);
    EXPECT_GE(BlockSize(grow), 4 + 5000);
}

TEST_F(LStrTest, NullTerminateCaseAndUtf8Editing) {
    LStrHandle h = Make("Ab\xE9");
    ASSERT_EQ(DSSetHandleSize(reinterpret_cast<UHandle>(h), 20), kErrNone);
    ASSERT_EQ(LStrHNullTerminate(h), kErrNone);
    EXPECT_EQ(BlockSize(h), 21);
    EXPECT_EQ(Text(h), std::string("Ab\xE9\0", 4));
    LStrToUpper(h);
    EXPECT_EQ(Text(h), std::string("AB\xC9\0", 4));
    LStrToLower(h);
    EXPECT_EQ(Text(h), std::string("ab\xE9\0", 4));
    LStrToLower(nullptr);

    LStrHandle u = Make("a\xC3\xA9");
    ASSERT_EQ(LStrReverse(u), kErrNone);
    EXPECT_EQ(Text(u),
              "\xC3\xA9"
              "a");
    ASSERT_EQ(LStrReverse(u), kErrNone);
    EXPECT_EQ(Text(u), "a\xC3\xA9");
    LStrHandle bad = Make(
        "ab\x80"
        "c");
    EXPECT_EQ(LStrReverse(bad), kErrBadCharEncoding);
    LStrHandle cut = Make("a\xE2\x82");  // last character announces more bytes than remain
    EXPECT_EQ(LStrReverse(cut), kErrBadCharEncoding);
    EXPECT_EQ(LStrReverse(nullptr), kErrNone);

    LStrHandle r = Make(
        "\xE2\x82\xAC"
        "xy");
    ASSERT_EQ(LStrRotateOneCharacter(r), kErrNone);
    EXPECT_EQ(Text(r), "xy\xE2\x82\xAC");
    ASSERT_EQ(LStrRotateOneCharacter(r), kErrNone);
    EXPECT_EQ(Text(r),
              "y\xE2\x82\xAC"
              "x");
    LStrHandle r2 = Make(
        "\xBF"
        "ab");
    EXPECT_EQ(LStrRotateOneCharacter(r2), kErrBadCharEncoding);
    EXPECT_EQ(Text(r2),
              "\xBF"
              "ab");
    LStrHandle r3 = Make("\xF0\x9F");
    EXPECT_EQ(LStrRotateOneCharacter(r3), kErrBadCharEncoding);
    EXPECT_EQ(LStrRotateOneCharacter(Make("")), kErrNone);
}

TEST_F(LStrTest, ComparisonsOrderBytesThenLengths) {
    LStr* empty = *Make("");
    LStr* a = *Make("a");
    LStr* abc = *Make("abc");
    EXPECT_EQ(LStrCmp(nullptr, empty), 0);
    EXPECT_LT(LStrCmp(nullptr, a), 0);
    EXPECT_EQ(LStrEqual(nullptr, empty), 1);
    EXPECT_GT(LStrCmp(*Make("b"), abc), 0);  // a larger byte wins over a greater length

    EXPECT_LT(LStrCaseCmp(*Make("ABC"), *Make("abd")), 0);
    EXPECT_EQ(LStrCaseCmp(*Make("\xC9t\xC9"), *Make("\xE9T\xE9")), 0);
    EXPECT_EQ(LStrCaseCmp(nullptr, empty), 0);
    EXPECT_GT(LStrCaseCmp(a, nullptr), 0);
    EXPECT_LT(LStrCaseCmp(nullptr, a), 0);
    EXPECT_LT(LStrCaseCmp(*Make("Ab"), *Make("aBc")), 0);

    EXPECT_EQ(LHStrCmp(nullptr, Make("")), 0);
    EXPECT_LT(LHStrCmp(Make("x"), Make("y")), 0);
    EXPECT_EQ(LHStrEqual(Make("q"), Make("q")), 1);
    EXPECT_EQ(LHStrCaseCmp(nullptr, Make("abc")), -3);  // an empty side gives the count difference
    EXPECT_EQ(LHStrCaseCmp(Make("HELLO"), Make("hello")), 0);
    EXPECT_EQ(Sign(LHStrCaseCmp(Make("b"), Make("A"))), 1);
}

// A deterministic byte run without NUL bytes; seed picks the pattern.
std::string Bytes(size_t n, unsigned seed) {
    std::string s(n, 'a');
    for (size_t i = 0; i < n; ++i) s[i] = char(1 + (i * 37 + seed * 101) % 255);
    return s;
}

// Mixed-case words with the punctuation that sits one case bit away from letters.
std::string Sentence(size_t n) {
    static const std::string kText = "The Quick, Brown Fox [jumps] @ the lazy `dog` {42} ~Zz^ ";
    std::string s;
    while (s.size() < n) s += kText;
    return s.substr(0, n);
}

int StdSign(const std::string& a, const std::string& b) {
    return Sign(a.compare(b));
}

TEST_F(LStrTest, AppendsAcrossLayoutChangesKeepEveryByteAndExactSize) {
    LStrHandle h = Make("");
    std::string expect;
    bool aliased = false;
    // Past 1 KiB the block changes layout, and past 128 KiB its placement; every size class mod 8 recurs.
    for (unsigned i = 0; expect.size() < 140 * 1024; ++i) {
        if (!aliased && expect.size() > 1000) {
            // A Pascal string inside the block itself, appended while the block crosses 1 KiB.
            (*h)->str[100] = 60;
            expect[100] = char(60);
            ASSERT_EQ(LStrAppendPStr(&h, (*h)->str + 100), kErrNone);
            expect += expect.substr(101, 60);
            aliased = true;
            ASSERT_EQ(Text(h), expect);
        } else if (i % 7 == 3) {
            const std::string piece = Bytes(1 + i % 11, i);
            ASSERT_EQ(LStrCat(h, *Make(piece)), kErrNone);
            expect += piece;
        } else if (i % 5 == 0) {
            ASSERT_EQ(LStrAppendChar(h, uChar(0x80 + i % 100)), kErrNone);
            expect += char(0x80 + i % 100);
        } else {
            const std::string piece = Bytes(1 + i % 13, i);
            ASSERT_EQ(LStrAppendCStr(&h, piece.c_str()), kErrNone);
            expect += piece;
        }
        ASSERT_EQ((*h)->cnt, int32(expect.size()));
        ASSERT_EQ(BlockSize(h), 4 + int64(expect.size()));
        ASSERT_EQ((*h)->str[expect.size() - 1], uChar(expect.back()));
        if (expect.size() >= 1024) {
            ASSERT_EQ(reinterpret_cast<uintptr_t>((*h)->str) % 8, 0u);
        }
    }
    EXPECT_EQ(Text(h), expect);
    // Editing by the plain forms afterwards still sees the same text and sizes.
    ASSERT_EQ(LStrPrependCStr(&h, "<<"), kErrNone);
    ASSERT_EQ(LStrCat(h, *Make("!")), kErrNone);
    EXPECT_EQ(Text(h), "<<" + expect + "!");
    EXPECT_EQ(BlockSize(h), 4 + int64(expect.size()) + 3);
    ASSERT_EQ(LStrFromPtr(&h, 5, "short"), kErrNone);
    EXPECT_EQ(Text(h), "short");
    EXPECT_EQ(BlockSize(h), 9);
}

TEST_F(LStrTest, ComparisonsAtEveryLengthFollowTheByteOrder) {
    // Lengths cross every word and vector width a block comparison may use.
    for (size_t n = 1; n <= 300; ++n) {
        std::string a = Bytes(n, unsigned(n));
        a[n / 2] = '\0';  // an embedded NUL is an ordinary byte
        std::string b = a;
        b.back() = char(uChar(a.back()) ^ 0x80);  // the last byte differs across the sign bit
        LStrHandle ha = Make(a), hb = Make(b), same = Make(a);
        const int expect = StdSign(a, b);
        ASSERT_NE(expect, 0);
        EXPECT_EQ(Sign(LStrCmp(*ha, *hb)), expect) << n;
        EXPECT_EQ(Sign(LStrCmp(*hb, *ha)), -expect) << n;
        EXPECT_EQ(Sign(LHStrCmp(ha, hb)), expect) << n;
        EXPECT_EQ(LStrCmp(*ha, *same), 0) << n;
        EXPECT_EQ(LStrEqual(*ha, *same), 1) << n;
        EXPECT_EQ(LStrEqual(*ha, *hb), 0) << n;
        // A proper prefix orders first even when its next byte would be larger.
        LStrHandle prefix = Make(b.substr(0, n - 1));
        EXPECT_LT(LStrCmp(*prefix, *ha), 0) << n;
        EXPECT_GT(LStrCmp(*ha, *prefix), 0) << n;
        EXPECT_EQ(LStrEqual(*prefix, *ha), 0) << n;
        EXPECT_GT(LStrCmp(*ha, nullptr), 0) << n;
        EXPECT_LT(LHStrCmp(nullptr, ha), 0) << n;
    }
    EXPECT_GT(LStrCmp(*Make(std::string("x\0", 2)), *Make("x")), 0);
    EXPECT_GT(LStrCmp(*Make("ab\x80"), *Make("ab\x7F")), 0);
    // A damaged negative count reads as empty.
    LStrHandle damaged = Make("abc");
    (*damaged)->cnt = -2;
    EXPECT_EQ(LStrCmp(*damaged, nullptr), 0);
    EXPECT_EQ(LStrCmp(*damaged, *Make("")), 0);
    EXPECT_LT(LStrCmp(*damaged, *Make("a")), 0);
    EXPECT_EQ(LStrEqual(*damaged, nullptr), 1);
    (*damaged)->cnt = 3;
}

TEST_F(LStrTest, CaseComparisonAtEveryLengthFoldsOnlyLetters) {
    const auto fold = [](uChar c) { return uChar(ToLower(c)); };
    // Pairs one bit 0x20 apart that are letters in one case, non-letters, or accented letters.
    const std::pair<char, char> pairs[] = {{'q', 'Q'}, {'@', '`'}, {'[', '{'}, {'\xC9', '\xE9'}, {'a', 'b'}};
    for (size_t n = 1; n <= 100; ++n) {
        const std::string base = Sentence(n);
        for (const auto& [x, y] : pairs) {
            for (size_t at : {size_t(0), n / 2, n - 1}) {
                std::string a = base, b = base;
                a[at] = x;
                b[at] = y;
                int expect = 0;
                for (size_t i = 0; i < n && expect == 0; ++i)
                    expect = Sign(int(fold(uChar(a[i]))) - int(fold(uChar(b[i]))));
                EXPECT_EQ(Sign(LStrCaseCmp(*Make(a), *Make(b))), expect) << n << ' ' << at << ' ' << x;
                EXPECT_EQ(Sign(LStrCaseCmp(*Make(b), *Make(a))), -expect) << n << ' ' << at << ' ' << x;
                EXPECT_LT(LStrCaseCmp(*Make(a.substr(0, at)), *Make(b)), 0) << n << ' ' << at;
            }
        }
    }
}

}  // namespace
