// PKSubString over each kind of storage, PKTempString and PKString.
#include <cstring>
#include <string>

#include "strings/StringTestSupport.h"

using namespace strtest;

namespace {

using StringClassTest = StringTest;

int64 Block(const PKString& s) {
    return s.Handle() ? DSGetHandleSize(reinterpret_cast<UHandle>(s.Handle())) : 0;
}

TEST_F(StringClassTest, FixedViewsRefuseChange) {
    PKSubString s("hello");
    EXPECT_EQ(s.GetKind(), PKSubString::kFixed);
    EXPECT_EQ(s.Append("x", 1), 1);
    EXPECT_EQ(ReportCapture::Count(kDbgNote, "Can't Change Fixed Strings!"), 1);
    EXPECT_EQ(s.Resize(2), 1);
    EXPECT_EQ(View(s), "hello");
    LStrHandle h = Make("abc");
    PKSubString lstr(static_cast<const LStr*>(*h));
    EXPECT_EQ(lstr.GetKind(), PKSubString::kFixedLStr);
    EXPECT_EQ(lstr.Append("x", 1), 1) << "a fixed long string fails in Resize";
    EXPECT_EQ(Text(h), "abc");
    PKSubString none(static_cast<LStr**>(nullptr));
    EXPECT_EQ(none.Data(), nullptr);
    EXPECT_EQ(none.Length(), 0);
}

TEST_F(StringClassTest, ViewsOverNoStorageRefuseGrowth) {
    PKSubString noString(static_cast<PKString*>(nullptr));
    EXPECT_EQ(noString.AppendCStr("x"), 1);
    PKSubString noBuffer(10, static_cast<char*>(nullptr), 0);
    EXPECT_EQ(noBuffer.AppendCStr("x"), 1);
    PKSubString noList(static_cast<CPStr**>(nullptr), 0);
    EXPECT_EQ(noList.AppendCStr("x"), 1);
    auto empty = reinterpret_cast<CPStrHandle>(DSNewHClr(4));
    PKSubString inEmptyList(empty, 0);
    EXPECT_NE(inEmptyList.AppendCStr("x"), kErrNone) << "an empty list has no element to grow";
    EXPECT_EQ(DSGetHandleSize(reinterpret_cast<UHandle>(empty)), 4);
    DSDisposeHandle(reinterpret_cast<UHandle>(empty));
}

TEST_F(StringClassTest, CharBufferViewsHoldCapacityLessOne) {
    char buf[10] = "abc";
    PKSubString s(10, buf);
    EXPECT_EQ(s.Length(), 3);
    EXPECT_EQ(s.Append("123456", 6), kErrNone);
    EXPECT_STREQ(buf, "abc123456");
    EXPECT_EQ(s.Append("x", 1), 1);
    EXPECT_STREQ(buf, "abc123456") << "a refused resize changes nothing";
    EXPECT_EQ(s.Replace("Z", 1, 1, 3), kErrNone);
    EXPECT_STREQ(buf, "aZ23456");
    PKSubString counted(10, buf, 2);
    EXPECT_EQ(counted.Length(), 2);
}

TEST_F(StringClassTest, ReplacePositionsAndBadParameters) {
    PKString str;
    PKSubString s(&str);
    ASSERT_EQ(s.AssignCStr("hello"), kErrNone);
    EXPECT_EQ(s.Replace("!", 1, 100, 0), kErrNone) << "a bad position appends";
    EXPECT_EQ(View(s), "hello!");
    EXPECT_EQ(s.Replace("x", 1, 2, 10), 1);
    EXPECT_EQ(ReportCapture::Count(kDbgBroken, "BadParams"), 1);
    EXPECT_EQ(ReportCapture::Count(kDbgNote, "Bad Params:at:2\tdstLen:10\tSize:6 \n"), 1);
    EXPECT_EQ(s.Replace("x", 1, 0, -1), 1);
    EXPECT_EQ(s.InsertCStr(">>", 0), kErrNone);
    EXPECT_EQ(s.ReplaceCStr("", 2, 5), kErrNone);
    EXPECT_EQ(View(s), ">>!");
    EXPECT_EQ(s.Insert(PKSubString("ab"), 1), kErrNone);
    EXPECT_EQ(View(s), ">ab>!");
    EXPECT_EQ(s.Append(s), kErrNone) << "a view may append itself";
    EXPECT_EQ(View(s), ">ab>!>ab>!");
    EXPECT_EQ(View(PKSubString(&str)), ">ab>!>ab>!");
    EXPECT_EQ(Block(str), 4 + 10);
}

TEST_F(StringClassTest, AssignFromEveryForm) {
    PKString str;
    PKSubString s(&str);
    LStrHandle h = Make("handle");
    EXPECT_EQ(s.Assign(h), kErrNone);
    EXPECT_EQ(View(s), "handle");
    EXPECT_EQ(s.Assign(static_cast<const LStr*>(*h)), kErrNone);
    EXPECT_EQ(s.AssignPStr(P("pascal")), kErrNone);
    EXPECT_EQ(View(s), "pascal");
    PKString other;
    ASSERT_EQ(other.Assign("other", 5), kErrNone);
    EXPECT_EQ(s.Assign(other), kErrNone);
    EXPECT_EQ(View(s), "other");
    EXPECT_EQ(s.Assign(PKSubString("sub")), kErrNone);
    EXPECT_EQ(View(s), "sub");
    EXPECT_EQ(s.AssignCStr(""), kErrNone);
    EXPECT_EQ(str.Handle(), nullptr) << "length 0 disposes the handle";
    EXPECT_EQ(s.Data(), nullptr);
}

TEST_F(StringClassTest, BSTRTextIsConvertedToTheCodePage) {
    PKString str;
    PKSubString s(&str);
    const TQWChar wide[] = {u'h', 0xE9, u'!', 0};
    EXPECT_EQ(s.AssignBSTR(wide, 3), kErrNone);
    EXPECT_EQ(View(s), "h\xE9!");
    EXPECT_EQ(s.AppendBSTR(wide, 1), kErrNone);
    EXPECT_EQ(s.ReplaceBSTR(wide + 2, 1, 0, 1), kErrNone);
    EXPECT_EQ(View(s), "!\xE9!h");
}

TEST_F(StringClassTest, PrintfFormatsThroughTheEngine) {
    PKString str;
    ASSERT_EQ(str.Printf("%d-%s", 42, "x"), kErrNone);
    EXPECT_EQ(View(PKSubString(&str)), "42-x");
    EXPECT_EQ(Block(str), 4 + 4);
    ASSERT_EQ(str.AppendPrintf("/%03d", 7), kErrNone);
    EXPECT_EQ(View(PKSubString(&str)), "42-x/007");
    char buf[8] = "";
    PKSubString small(8, buf);
    EXPECT_EQ(small.Printf("%s", "1234567"), kErrNone);
    EXPECT_STREQ(buf, "1234567");
    EXPECT_EQ(small.AppendPrintf("%d", 1), 1) << "the buffer cannot hold it";
    EXPECT_STREQ(buf, "1234567");
    PKSubString fixed("abc");
    EXPECT_EQ(fixed.Printf("%d", 1), 1);
}

TEST_F(StringClassTest, PrintfOfLongTextIsMeasuredFirst) {
    const std::string big(1000, 'p');
    for (size_t n : {254u, 255u, 256u, 1000u}) {
        PKString str;
        ASSERT_EQ(str.Printf("%s|%d", big.substr(0, n).c_str(), 5), kErrNone);
        EXPECT_EQ(View(PKSubString(&str)), big.substr(0, n) + "|5");
        ASSERT_EQ(str.AppendPrintf("%s", big.substr(0, n).c_str()), kErrNone);
        EXPECT_EQ(View(PKSubString(&str)), big.substr(0, n) + "|5" + big.substr(0, n));
        EXPECT_EQ(Block(str), 4 + 2 * int64(n) + 2);
    }
}

TEST_F(StringClassTest, CompareRules) {
    PKSubString abc("ABC");
    EXPECT_EQ(abc.CompareNCCStr("abc"), 0);
    EXPECT_LT(abc.CompareCStr("abc"), 0);
    EXPECT_EQ(abc.CompareCStr("ABC"), 0);
    EXPECT_LT(abc.CompareCStr("ABCD"), 0);
    EXPECT_GT(abc.Compare("AB", 2), 0);
    PKSubString a("a");
    EXPECT_GT(a.CompareNCCStr("\xE9"), 0) << "high bytes are negative and order first";
    EXPECT_LT(a.CompareCStr("\xE9"), 0);
    PKSubString empty("");
    EXPECT_EQ(empty.CompareCStr(""), 0);
    EXPECT_EQ(empty.CompareCStr("x"), -1);
    EXPECT_EQ(a.CompareCStr(""), 1);
    EXPECT_EQ(empty.CompareNCCStr("x"), -1);
    EXPECT_EQ(a.CompareNC(empty), 1);
}

TEST_F(StringClassTest, SearchAndFind) {
    PKSubString s("abcABCabc");
    EXPECT_EQ(s.SearchCStr("abc", 0), 0);
    EXPECT_EQ(s.SearchCStr("abc", 1), 6);
    EXPECT_EQ(s.SearchCStr("abd", 0), -1);
    EXPECT_EQ(s.SearchNCCStr("ABC", 1), 3);
    EXPECT_EQ(s.SearchNC(PKSubString("cA"), 0), 2);
    EXPECT_EQ(s.SearchCStr("", 4), 4);
    EXPECT_EQ(s.SearchCStr("", 9), -1) << "outside the view";
    EXPECT_EQ(s.SearchCStr("c", -1), -1);
    EXPECT_EQ(s.FindFirstOfCStr("CB", 0), 4);
    EXPECT_EQ(s.FindFirstOfCStr("xyz", 0), -1);
    EXPECT_EQ(s.FindFirstOf(PKSubString("a"), 1), 6);
}

TEST_F(StringClassTest, SearchReplaceCountsAndContinuesAfterTheInsertion) {
    PKString str;
    PKSubString s(&str);
    ASSERT_EQ(s.AssignCStr("aaaa"), kErrNone);
    int32 count = -1;
    EXPECT_EQ(s.SearchReplace(PKSubString("aa"), PKSubString("b"), &count), kErrNone);
    EXPECT_EQ(View(s), "bb");
    EXPECT_EQ(count, 2);
    ASSERT_EQ(s.AssignCStr("xax"), kErrNone);
    EXPECT_EQ(s.SearchReplace(PKSubString("a"), PKSubString("aa"), &count), kErrNone);
    EXPECT_EQ(View(s), "xaax");
    EXPECT_EQ(count, 1);
    EXPECT_EQ(s.SearchReplace(PKSubString(""), PKSubString("y"), &count), kErrNone);
    EXPECT_EQ(count, 0);
    PKSubString fixed("aa");
    EXPECT_EQ(fixed.SearchReplace(PKSubString("a"), PKSubString("b"), &count), 1)
        << "the first error stops it";
    EXPECT_EQ(count, 0);
}

TEST_F(StringClassTest, TrimAndCopiesOut) {
    PKSubString s("\t x\r\n");
    s.TrimWhitespace();
    EXPECT_EQ(View(s), "x");
    char c[4] = {'?', '?', '?', '?'};
    PKSubString("hello").CopyToCStr(c, 1);
    EXPECT_EQ(c[0], 0);
    EXPECT_EQ(c[1], '?');
    PKSubString("hello").CopyToCStr(c, 4);
    EXPECT_STREQ(c, "hel");
    PKSubString("hello").CopyToCStr(c, 0);
    EXPECT_EQ(ReportCapture::Count(kDbgBroken, "Bad Arg"), 1);
    Str255 p;
    const std::string big(300, 'z');
    PKSubString(big.data(), int32(big.size())).CopyToPStr(p);
    EXPECT_EQ(p[0], 255);
    std::string out = "old";
    EXPECT_EQ(PKSubString("new").CopyToNarrowString(&out), kErrNone);
    EXPECT_EQ(out, "new");
    EXPECT_EQ(PKSubString("").CopyToNarrowString(&out), kErrNone);
    EXPECT_EQ(out, "");
    PKString str;
    str.CopyToCStr(c, 0);
    EXPECT_EQ(ReportCapture::Count(kDbgBroken, "Bad Arg"), 2);
    ASSERT_EQ(str.Assign("abc", 3), kErrNone);
    str.CopyToPStr(p);
    EXPECT_EQ(Text(p), "abc");
    EXPECT_EQ(str.CopyToNarrowString(&out), kErrNone);
    EXPECT_EQ(out, "abc");
}

TEST_F(StringClassTest, TempStringMovesBetweenItsBufferAndAHandle) {
    PKTempString t;
    EXPECT_EQ(t.GetKind(), PKSubString::kTemp);
    EXPECT_EQ(t.Length(), 0);
    EXPECT_EQ(t.Data()[0], 0);
    const std::string text(255, 'k');
    ASSERT_EQ(t.Assign(text.data(), 255), kErrNone);
    EXPECT_FALSE(t.InHandle());
    ASSERT_EQ(t.Append("!", 1), kErrNone);
    EXPECT_TRUE(t.InHandle());
    EXPECT_EQ(View(t), text + "!");
    ASSERT_EQ(t.Resize(10), kErrNone);
    EXPECT_FALSE(t.InHandle());
    EXPECT_EQ(View(t), std::string(10, 'k'));
}

TEST_F(StringClassTest, ListElementViewsEditInPlace) {
    auto h = reinterpret_cast<CPStrHandle>(DSNewHClr(4));
    for (const char* s : {"one", "two", "three"}) ASSERT_EQ(CPStrInsert(h, P(s), 99), kErrNone);
    PKSubString e(h, 1);
    EXPECT_EQ(View(e), "two");
    ASSERT_EQ(e.AppendCStr("-and-more"), kErrNone);
    EXPECT_EQ(Text(CPStrIndex(h, 1)), "two-and-more");
    EXPECT_EQ(Text(CPStrIndex(h, 2)), "three");
    ASSERT_EQ(e.AssignCStr("2"), kErrNone);
    EXPECT_EQ(Text(CPStrIndex(h, 1)), "2");
    EXPECT_EQ(Text(CPStrIndex(h, 2)), "three");
    EXPECT_EQ(DSGetHandleSize(reinterpret_cast<UHandle>(h)), CPStrSize(*h));
    const std::string big(256, 'b');
    EXPECT_EQ(e.Assign(big.data(), 256), 1);
    DSDisposeHandle(reinterpret_cast<UHandle>(h));
}

TEST_F(StringClassTest, PKStringResizesExactly) {
    PKString s;
    EXPECT_EQ(s.Length(), 0);
    ASSERT_EQ(s.Resize(5), kErrNone);
    EXPECT_EQ(Block(s), 9);
    ASSERT_EQ(s.Resize(0), kErrNone);
    EXPECT_EQ(s.Handle(), nullptr);
    PKString h;
    PKSubString alias(reinterpret_cast<LStr***>(&h));
    EXPECT_EQ(alias.GetKind(), PKSubString::kString);
    ASSERT_EQ(alias.AppendCStr("via handle pointer"), kErrNone);
    EXPECT_EQ(View(PKSubString(&h)), "via handle pointer");
}

}  // namespace
