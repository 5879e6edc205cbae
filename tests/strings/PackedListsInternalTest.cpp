// Packed Pascal and long-string lists, long-string arrays and CPStrList.
#include <cstring>
#include <string>
#include <vector>

#include "strings/StringTestSupport.h"

using namespace strtest;

namespace {

using strtest::Items;

// A CPStr handle built from strings; disposed by the fixture.
class PackedListTest : public StringTest {
  protected:
    void TearDown() override {
        for (UHandle h : handles_) DSDisposeHandle(h);
        StringTest::TearDown();
    }
    CPStrHandle List(const std::vector<std::string>& items) {
        auto h = reinterpret_cast<CPStrHandle>(DSNewHClr(4));
        handles_.push_back(reinterpret_cast<UHandle>(h));
        for (const auto& s : items) EXPECT_EQ(CPStrInsert(h, P(s), 1 << 30), kErrNone);
        return h;
    }
    CLStrHandle LList() {
        auto h = reinterpret_cast<CLStrHandle>(DSNewHClr(4));
        handles_.push_back(reinterpret_cast<UHandle>(h));
        return h;
    }
    void Own(void* h) { handles_.push_back(static_cast<UHandle>(h)); }
    std::vector<UHandle> handles_;
};

std::vector<std::string> Items(CLStrHandle h) {
    std::vector<std::string> out;
    for (int32 i = 0; i < (*h)->cnt; ++i) {
        const LStr* e = CLStrIndex(*h, i);
        out.emplace_back(reinterpret_cast<const char*>(e->str), size_t(e->cnt));
    }
    return out;
}

// A long string in caller storage.
struct L {
    alignas(4) uChar buf[4 + 512];
    explicit L(const std::string& s) {
        const int32 n = int32(s.size());
        std::memcpy(buf, &n, 4);
        std::memcpy(buf + 4, s.data(), s.size());
    }
    operator const LStr*() const { return reinterpret_cast<const LStr*>(buf); }
};

int64 Size(void* h) {
    return DSGetHandleSize(static_cast<UHandle>(h));
}

int32 NeverEqual(ConstPStr, ConstPStr) {
    return 1;
}

TEST_F(PackedListTest, InsertPlacesByClampedIndexAndSizesExactly) {
    CPStrHandle h = List({"b"});
    EXPECT_EQ(CPStrInsert(h, P("first"), -5), kErrNone);
    EXPECT_EQ(CPStrInsert(h, P("last"), 1000), kErrNone);
    EXPECT_EQ(CPStrInsert(h, P("mid"), 1), kErrNone);
    EXPECT_EQ(Items(h), (Strings{"first", "mid", "b", "last"}));
    EXPECT_EQ(CPStrSize(*h), 4 + 6 + 4 + 2 + 5);
    EXPECT_EQ(Size(h), CPStrSize(*h));
    EXPECT_EQ(Text(CPStrIndex(h, 99)), "last");
    EXPECT_EQ(Text(CPStrIndex(h, -3)), "first");
    // An element of the same list is copied.
    ASSERT_EQ(CPStrInsert(h, CPStrIndex(h, 3), 0), kErrNone);
    EXPECT_EQ(Items(h), (Strings{"last", "first", "mid", "b", "last"}));
    EXPECT_EQ(CPStrInsert(nullptr, P("x"), 0), kErrGeneric);
    EXPECT_EQ(CPStrInsert(h, nullptr, 0), kErrGeneric);
    EXPECT_EQ(ReportCapture::Count(kDbgBroken, "Bad inputs to CPStrInsertEfficient"), 2);
    // The efficient form keeps slack; an exact insert trims it.
    CPStrHandle e = List({});
    for (int i = 0; i < 50; ++i) ASSERT_EQ(CPStrInsertEfficient(e, P("abc"), i, 0), kErrNone);
    EXPECT_EQ(CPStrSize(*e), 4 + 50 * 4);
    EXPECT_GE(Size(e), CPStrSize(*e));
    ASSERT_EQ(CPStrInsertEfficient(e, P("z"), 0, 1), kErrNone);
    EXPECT_EQ(Size(e), CPStrSize(*e));
    EXPECT_EQ((*e)->cnt, 51);
}

TEST_F(PackedListTest, RemoveAndReplaceKeepTheListPacked) {
    CPStrHandle h = List({"a", "bb", "ccc"});
    ASSERT_EQ(CPStrReplace(h, P("longer one"), 1), kErrNone);
    EXPECT_EQ(Items(h), (Strings{"a", "longer one", "ccc"}));
    ASSERT_EQ(CPStrReplace(h, P(""), 7), kErrNone);
    EXPECT_EQ(Items(h), (Strings{"a", "longer one", ""}));
    ASSERT_EQ(CPStrReplace(h, P("x"), 1), kErrNone);
    EXPECT_EQ(Items(h), (Strings{"a", "x", ""}));
    EXPECT_EQ(Size(h), CPStrSize(*h));
    ASSERT_EQ(CPStrRemove(h, 0), kErrNone);
    EXPECT_EQ(Items(h), (Strings{"x", ""}));
    EXPECT_EQ(Size(h), 4 + 2 + 1);
    ASSERT_EQ(CPStrRemove(h, 50), kErrNone);
    EXPECT_EQ(Items(h), (Strings{"x"}));
    // On an empty list they change nothing.
    CPStrHandle empty = List({});
    EXPECT_EQ(CPStrRemove(empty, 0), kErrArgument);
    EXPECT_EQ(CPStrReplace(empty, P("x"), 0), kErrArgument);
    EXPECT_EQ((*empty)->cnt, 0);
    EXPECT_EQ(Size(empty), 4);
    EXPECT_EQ(ReportCapture::Count(kDbgFatal, ""), 2);
}

TEST_F(PackedListTest, SearchFindsTheFirstMatchOrNothing) {
    CPStrHandle h = List({"Alpha", "beta", "alpha"});
    EXPECT_EQ(CPStrSearch(h, P("alpha"), PStrCmp), 2);
    EXPECT_EQ(CPStrSearch(h, P("alpha"), PStrCaseCmp), 0);
    EXPECT_EQ(CPStrSearch(h, P("alpha"), NeverEqual), -1);
    EXPECT_EQ(CPStrSearch(List({}), P("alpha"), PStrCmp), -1);
}

TEST_F(PackedListTest, SetToEmptyStringsAndClear) {
    CPStrHandle h = nullptr;
    ASSERT_EQ(CPStrSetToNEmptyStrings(&h, 3), kErrNone);
    Own(h);
    ASSERT_EQ(Size(h), 7);
    EXPECT_EQ(Items(h), (Strings{"", "", ""}));
    EXPECT_EQ(CPStrSetToNEmptyStrings(nullptr, 3), kErrArgument);
    EXPECT_EQ(CPStrClear(h), kErrNone);
    EXPECT_EQ(Size(h), 4);
    EXPECT_EQ((*h)->cnt, 0);
    EXPECT_EQ(CPStrClear(nullptr), 1);
}

TEST_F(PackedListTest, CompareAndEqualWalkTheCommonElementsThenTheCounts) {
    CPStrHandle a = List({"a", "b"});
    CPStrHandle b = List({"a", "b", "c"});
    CPStrHandle c = List({"a", "c"});
    EXPECT_LT(CPStrCmp(a, b), 0);
    EXPECT_GT(CPStrCmp(b, a), 0);
    EXPECT_LT(CPStrCmp(a, c), 0);
    EXPECT_EQ(CPStrCmp(a, List({"a", "b"})), 0);
    EXPECT_EQ(CPStrEqual(a, List({"a", "b"})), 1);
    EXPECT_EQ(CPStrEqual(a, b), 0);
    EXPECT_EQ(CPStrEqual(a, c), 0);
}

TEST_F(PackedListTest, StrPoundBodyBecomesAList) {
    const uChar body[] = {0x00, 0x02, 1, 'x', 2, 'y', 'z'};
    UHandle src = nullptr;
    ASSERT_EQ(DSPtrToHand(body, &src, sizeof body), kErrNone);
    Own(src);
    // The count is native: a 16-bit count of 2 in this machine's order.
    const int16 two = 2;
    std::memcpy(*src, &two, 2);
    alignas(4) uChar out[32] = {};
    StrPoundToCPStr(src, reinterpret_cast<CPStr*>(out));
    auto* list = reinterpret_cast<CPStr*>(out);
    EXPECT_EQ(list->cnt, 2);
    EXPECT_EQ(CPStrSize(list), 4 + 2 + 3);
    const int16 negative = -1;
    std::memcpy(*src, &negative, 2);
    StrPoundToCPStr(src, list);
    EXPECT_EQ(list->cnt, -1) << "the count is widened with its sign";
}

TEST_F(PackedListTest, CLStrInsertPadsToFourBytes) {
    CLStrHandle h = LList();
    ASSERT_EQ(CLStrInsert(h, L("hello"), 0, 1), kErrNone);
    EXPECT_EQ(Size(h), 4 + 12);
    const uChar* block = reinterpret_cast<const uChar*>(*h);
    EXPECT_EQ(block[4 + 4 + 5], 0);
    EXPECT_EQ(block[4 + 4 + 6], 0);
    EXPECT_EQ(block[4 + 4 + 7], 0);
    ASSERT_EQ(CLStrInsert(h, L(""), 0, 1), kErrNone);
    ASSERT_EQ(CLStrInsert(h, L("abcd"), 1, 1), kErrNone);
    ASSERT_EQ(CLStrInsert(h, L("z"), 99, 0), kErrNone);
    EXPECT_EQ(Items(h), (Strings{"", "abcd", "hello", "z"}));
    EXPECT_EQ(CLStrSize(*h), 4 + 4 + 8 + 12 + 8);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(CLStrIndex(*h, 50)->str), 1), "z");
    // An element of its own is copied, and removal shrinks exactly.
    ASSERT_EQ(CLStrInsert(h, CLStrIndex(*h, 2), 0, 1), kErrNone);
    EXPECT_EQ(Items(h), (Strings{"hello", "", "abcd", "hello", "z"}));
    ASSERT_EQ(CLStrRemove(h, 1), kErrNone);
    ASSERT_EQ(CLStrRemove(h, 3), kErrNone);
    ASSERT_EQ(CLStrRemove(h, 0), kErrNone);
    EXPECT_EQ(Items(h), (Strings{"abcd", "hello"}));
    EXPECT_EQ(Size(h), 4 + 8 + 12);
}

TEST_F(PackedListTest, CLStrInsertSortKeepsOrderAndSets) {
    CLStrHandle h = LList();
    for (const char* s : {"m", "c", "x", "a"}) {
        int32 index = -1;
        Bool32 inserted = 0;
        ASSERT_EQ(CLStrInsertSort(h, L(s), 0, &index, &inserted, 1), kErrNone);
        EXPECT_EQ(inserted, 1);
    }
    EXPECT_EQ(Items(h), (Strings{"a", "c", "m", "x"}));
    const int64 before = Size(h);
    int32 index = -1;
    Bool32 inserted = 1;
    ASSERT_EQ(CLStrInsertSort(h, L("m"), 0, &index, &inserted, 1), kErrNone);
    EXPECT_EQ(index, 2);
    EXPECT_EQ(inserted, 0);
    EXPECT_EQ(Size(h), before);
    ASSERT_EQ(CLStrInsertSort(h, L("m"), 1, &index, &inserted, 1), kErrNone);
    EXPECT_EQ(inserted, 1);
    EXPECT_EQ(Items(h), (Strings{"a", "c", "m", "m", "x"}));
}

TEST_F(PackedListTest, InvalidCLStrArgumentsAreReported) {
    EXPECT_EQ(CLStrIndex(nullptr, 0), nullptr);
    EXPECT_EQ(ReportCapture::Count(kDbgFatal, "invalid buffer passed to CLStrIndex"), 1);
    EXPECT_EQ(CLStrInsert(nullptr, L("x"), 0, 1), kErrArgument);
    EXPECT_EQ(ReportCapture::Count(kDbgFatal, "Invalid dest buffer or insert buffer passed to CLStrInsert"),
              1);
    EXPECT_EQ(CLStrInsertSort(LList(), nullptr, 0, nullptr, nullptr, 1), kErrArgument);
    EXPECT_EQ(ReportCapture::Count(kDbgFatal, "passed to CLStrInsertSort"), 1);
}

TEST_F(PackedListTest, StdToCLStrConvertsBigEndianCountsAndReportsAWalkThatMissesTheEnd) {
    const uChar big[] = {0, 0, 0, 2, 0, 0, 0, 1, 'a', 0, 0, 0, 0, 0, 0, 5, 'h', 'e', 'l', 'l', 'o', 0, 0, 0};
    UHandle good = nullptr;
    ASSERT_EQ(DSPtrToHand(big, &good, sizeof big), kErrNone);
    Own(good);
    ASSERT_EQ(StdToCLStr(reinterpret_cast<CLStrHandle>(good)), kErrNone);
    EXPECT_EQ(Items(reinterpret_cast<CLStrHandle>(good)), (Strings{"a", "hello"}));
    EXPECT_EQ(ReportCapture::Size(), 0u);
    const std::vector<std::vector<uChar>> bad = {
        {0, 0, 0, 1, 0, 0, 0, 1, 'a', 0, 0, 0, 0},  // a byte past the last element
        {0, 0, 0, 2, 0, 0, 0, 1, 'a', 0, 0, 0},     // one element short
        {0, 0, 0, 1, 0x7F, 0, 0, 0},                // a count past the block
        {0, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0xFF},       // a negative count
        {0, 0},                                     // no room for the count
    };
    for (const auto& bytes : bad) {
        UHandle h = nullptr;
        ASSERT_EQ(DSPtrToHand(bytes.data(), &h, bytes.size()), kErrNone);
        Own(h);
        ReportCapture::Clear();
        EXPECT_EQ(StdToCLStr(reinterpret_cast<CLStrHandle>(h)), kErrArgument);
        EXPECT_EQ(ReportCapture::Count(kDbgFatal, ""), 1);
    }
}

TEST_F(PackedListTest, ListToLStrArrayAndBack) {
    CPStrHandle h = List({"one", "", "three"});
    _LStrArray** a = nullptr;
    ASSERT_EQ(CPStrPtrToLStrArray(*h, &a), kErrNone);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ((*a)->cnt, 3);
    EXPECT_EQ(Text((*a)->elt[0]), "one");
    EXPECT_EQ((*a)->elt[1], nullptr) << "an empty string is a null handle";
    EXPECT_EQ(Text((*a)->elt[2]), "three");
    CPStrHandle back = nullptr;
    ASSERT_EQ(LStrArrayToCPStrHandle(a, &back), kErrNone);
    Own(back);
    EXPECT_EQ(CPStrEqual(h, back), 1);
    ASSERT_EQ(LStrArrayToCPStrHandle(a, 2, &back), kErrNone);
    EXPECT_EQ(Items(back), (Strings{"one", ""}));
    EXPECT_EQ(LStrArrayToCPStrHandle(a, 4, &back), kErrArgument);
    ASSERT_EQ(CPStrPtrToLStrArray(*h, 1, &a), kErrNone) << "the old array is replaced";
    EXPECT_EQ((*a)->cnt, 1);
    ASSERT_EQ(ReallocLStrArrayHandle(&a, 0), kErrNone);
    EXPECT_EQ(a, nullptr);
    ASSERT_EQ(LStrArrayToCPStrHandle(a, 3, &back), kErrNone);
    EXPECT_EQ(back, nullptr) << "a null array stores null";
    EXPECT_EQ(CPStrPtrToLStrArray(*h, nullptr), kErrGeneric);
    EXPECT_EQ(ReportCapture::Count(kDbgBroken, "Null not allowed"), 1);
    // Long elements are cut to 255.
    ASSERT_EQ(ReallocLStrArrayHandle(&a, 1), kErrNone);
    const std::string big(300, 'q');
    ASSERT_EQ(LStrFromPtr(&(*a)->elt[0], int32(big.size()), big.data()), kErrNone);
    ASSERT_EQ(LStrArrayToCPStrHandle(a, &back), kErrNone);
    Own(back);
    EXPECT_EQ(Items(back), (Strings{std::string(255, 'q')}));
    EXPECT_EQ(Size(back), 4 + 256);
    ReallocLStrArrayHandle(&a, 0);
}

TEST_F(PackedListTest, ReallocDisposesTheElementsPastTheNewCount) {
    _LStrArray** a = nullptr;
    ASSERT_EQ(ReallocLStrArrayHandle(&a, 5), kErrNone);
    for (int i = 0; i < 5; ++i) ASSERT_EQ(LStrFromPtr(&(*a)->elt[i], 1, "x"), kErrNone);
    std::vector<UHandle> gone = {reinterpret_cast<UHandle>((*a)->elt[2]),
                                 reinterpret_cast<UHandle>((*a)->elt[3]),
                                 reinterpret_cast<UHandle>((*a)->elt[4])};
    ASSERT_EQ(ReallocLStrArrayHandle(&a, 2), kErrNone);
    EXPECT_EQ((*a)->cnt, 2);
    EXPECT_EQ(Size(a), 8 + 16);
    for (UHandle h : gone) EXPECT_EQ(IsDSHandle(h), 0) << "elements 4, 3 and 2 are disposed";
    ASSERT_EQ(ReallocLStrArrayHandle(&a, 0), kErrNone);
    EXPECT_EQ(a, nullptr);
}

TEST_F(PackedListTest, CPStrListMembers) {
    CPStrList list;
    EXPECT_EQ(list[0], nullptr);
    EXPECT_EQ(list.Insert(static_cast<const unsigned char*>(nullptr), 0), kErrArgument);
    ASSERT_EQ(list.Insert(P("b"), -1), kErrNone);
    ASSERT_EQ(list.Insert(P("a"), 0), kErrNone);
    ASSERT_EQ(list.Insert(PKSubString("c"), -1), kErrNone);
    EXPECT_EQ(Items(list.Handle()), (Strings{"a", "b", "c"}));
    EXPECT_EQ(Text(list[1]), "b");

    CPStrList copy(*list.Handle());
    EXPECT_EQ(copy.Equal(list), 1);
    EXPECT_EQ(copy.Compare(list), 0);
    ASSERT_EQ(copy.Delete(1), kErrNone);
    EXPECT_EQ(copy.Equal(list), 0);
    EXPECT_EQ(copy.EqualNEltsFS(list, 1), 1);
    EXPECT_EQ(copy.EqualNEltsFS(list, 3), 0);
    EXPECT_GT(copy.Compare(list), 0) << "c after b";

    CPStrList upper;
    for (const char* s : {"A", "B", "C"}) ASSERT_EQ(upper.Insert(P(s), -1), kErrNone);
    EXPECT_EQ(upper.Equal(list), 0);
    EXPECT_EQ(upper.EqualNC(list), 1);
    EXPECT_EQ(upper.EqualFS(list), 1);
    EXPECT_EQ(upper.CompareFS(list), 0);
    EXPECT_LT(upper.Compare(list), 0);

    ASSERT_EQ(copy.Copy(list), kErrNone);
    EXPECT_EQ(copy.Equal(list), 1);
    EXPECT_EQ(copy.Copy(copy), kErrNone);
    copy.Clear();
    EXPECT_EQ(copy.Count(), 0);
    EXPECT_EQ(copy.Delete(0), kErrArgument);
    ASSERT_EQ(copy.Copy(*list.Handle()), kErrNone);
    EXPECT_EQ(copy.Equal(list), 1);

    CPStrList empty;
    ASSERT_EQ(empty.ForceAllocate(), kErrNone);
    ASSERT_NE(empty.Handle(), nullptr);
    EXPECT_EQ(Size(empty.Handle()), 4);
    CPStrList none;
    EXPECT_EQ(empty.Equal(none), 1);
    EXPECT_EQ(empty.Compare(none), 0);
    EXPECT_EQ(ReportCapture::Size(), 0u);
}

TEST_F(PackedListTest, CPStrListTakesOverABigEndianResourceHandle) {
    const uChar body[] = {0, 0, 0, 2, 1, 'x', 1, 'y'};
    UHandle h = nullptr;
    ASSERT_EQ(DSPtrToHand(body, &h, sizeof body), kErrNone);
    CPStrList list(h);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(Text(list[1]), "y");
}

}  // namespace
