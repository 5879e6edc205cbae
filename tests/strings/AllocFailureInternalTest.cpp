// Allocation failure in every string-class and list operation in turn: each allocation the operation makes
// fails once, and the operation must answer kErrMemoryFull, keep its list or string as it was, and leak
// nothing.
#include <string>
#include <vector>

#include "strings/StringTestSupport.h"
#include "support/AllocFailure.h"

using namespace strtest;

namespace {

using Off = tq::test::AllocationsSucceed;

bool Injected() {
    return tq::test::AllocationFailed();
}

class AllocFailureTest : public StringTest {
  protected:
    template <class Trial>
    static void EachFailure(Trial trial) {
        tq::test::EachAllocationFailing(trial);
    }
    // Result of op: kErrMemoryFull when an allocation failed, else 0.
    static void ExpectResult(TqErr err) { EXPECT_EQ(err, Injected() ? kErrMemoryFull : kErrNone); }
};

CPStrHandle NewList(std::initializer_list<const char*> items) {
    const Off off;
    auto h = reinterpret_cast<CPStrHandle>(DSNewHClr(4));
    for (const char* s : items) EXPECT_EQ(CPStrInsert(h, P(s), 99), kErrNone);
    return h;
}

// What f returns, with every allocation it makes succeeding: the set-up of a trial.
template <class F>
auto Unfailing(F f) {
    const Off off;
    return f();
}

void Free(void* h) {
    const Off off;
    DSDisposeHandle(static_cast<UHandle>(h));
}

TEST_F(AllocFailureTest, CPStrInsertReplaceAndSetToNEmptyStrings) {
    EachFailure([] {
        CPStrHandle h = NewList({"a", "b"});
        const std::vector<std::string> before = Items(h);
        const TqErr err = CPStrInsert(h, P("inserted"), 1);
        ExpectResult(err);
        if (err) {
            EXPECT_EQ(Items(h), before);
        }
        Free(h);
    });
    EachFailure([] {
        CPStrHandle h = NewList({"a", "b"});
        const TqErr err = CPStrReplace(h, P("a longer one"), 0);
        ExpectResult(err);
        EXPECT_EQ(Items(h), (err ? Strings{"a", "b"} : Strings{"a longer one", "b"}));
        Free(h);
    });
    EachFailure([] {
        CPStrHandle h = NewList({"a"});
        const TqErr err = CPStrInsertEfficient(h, P("x"), 0, 0);
        ExpectResult(err);
        Free(h);
    });
    EachFailure([] {
        CPStrHandle h = nullptr;
        ExpectResult(CPStrSetToNEmptyStrings(&h, 4));
        if (Injected()) {
            EXPECT_EQ(h, nullptr);
        }
        Free(h);
    });
}

TEST_F(AllocFailureTest, CLStrInsertAndInsertSort) {
    alignas(4) uChar s[12] = {5, 0, 0, 0, 'h', 'e', 'l', 'l', 'o'};
    EachFailure([&] {
        CLStrHandle h = Unfailing([] { return reinterpret_cast<CLStrHandle>(DSNewHClr(4)); });
        const TqErr err = CLStrInsert(h, reinterpret_cast<const LStr*>(s), 0, 1);
        ExpectResult(err);
        EXPECT_EQ((*h)->cnt, err ? 0 : 1);
        Free(h);
    });
    EachFailure([&] {
        CLStrHandle h = Unfailing([] { return reinterpret_cast<CLStrHandle>(DSNewHClr(4)); });
        int32 index = -1;
        Bool32 inserted = 1;
        const TqErr err = CLStrInsertSort(h, reinterpret_cast<const LStr*>(s), 0, &index, &inserted, 0);
        ExpectResult(err);
        EXPECT_EQ(inserted, err ? 0 : 1);
        Free(h);
    });
}

TEST_F(AllocFailureTest, LStrArrayConversions) {
    EachFailure([] {
        CPStrHandle h = NewList({"one", "", "three", "four"});
        _LStrArray** a = nullptr;
        const TqErr err = CPStrPtrToLStrArray(*h, &a);
        ExpectResult(err);
        if (err) {
            EXPECT_EQ(a, nullptr) << "the output is left untouched";
        }
        const Off off;
        ReallocLStrArrayHandle(&a, 0);
        Free(h);
    });
    EachFailure([] {
        _LStrArray** a = nullptr;
        CPStrHandle h = NewList({"x"});
        {
            const Off off;
            ASSERT_EQ(CPStrPtrToLStrArray(*h, &a), kErrNone);
            Free(h);
        }
        CPStrHandle out = nullptr;
        ExpectResult(LStrArrayToCPStrHandle(a, &out));
        const Off off;
        ReallocLStrArrayHandle(&a, 0);
        Free(out);
    });
}

TEST_F(AllocFailureTest, CPStrListOperations) {
    EachFailure([] {
        CPStrList list;
        ExpectResult(list.Insert(P("x"), -1));
        EXPECT_EQ(list.Count(), Injected() ? 0 : 1);
    });
    EachFailure([] {
        CPStrHandle h = NewList({"a", "b"});
        {
            CPStrList copy(*h);
            EXPECT_EQ(copy.Handle() == nullptr, Injected()) << "the handle stays null when the copy fails";
        }
        Free(h);
    });
    EachFailure([] {
        CPStrHandle h = NewList({"a", "b"});
        CPStrList other;
        ExpectResult(other.Copy(*h));
        Free(h);
    });
    EachFailure([] {
        CPStrList a;
        CPStrList b;
        ASSERT_EQ(Unfailing([&] { return a.Insert(P("a"), -1); }), kErrNone);
        ExpectResult(b.Copy(a));
        EXPECT_EQ(b.Equal(a), Injected() ? 0 : 1);
    });
    EachFailure([] {
        CPStrList list;
        ExpectResult(list.ForceAllocate());
    });
}

TEST_F(AllocFailureTest, PKStringOperations) {
    EachFailure([] {
        PKString s;
        const TqErr err = s.Assign("hello", 5);
        ExpectResult(err);
        EXPECT_EQ(s.Length(), err ? 0 : 5);
    });
    EachFailure([] {
        PKString s;
        ASSERT_EQ(Unfailing([&] { return s.Assign("hello", 5); }), kErrNone);
        const TqErr err = s.AppendPrintf(" %d", 12345);
        ExpectResult(err);
        EXPECT_EQ(View(PKSubString(s)), err ? "hello" : "hello 12345");
    });
    EachFailure([] {
        PKString s;
        ExpectResult(s.Printf("%s-%d", "abc", 1));
    });
    const std::string big(2000, 'g');
    EachFailure([&] {
        PKString s;
        ASSERT_EQ(Unfailing([&] { return s.Assign(big.data(), 1500); }), kErrNone);
        PKSubString v(&s);
        const TqErr err = v.Append(big.data(), 2000);
        ExpectResult(err);
        EXPECT_EQ(s.Length(), err ? 1500 : 3500);
    });
    EachFailure([] {
        PKString s;
        ASSERT_EQ(Unfailing([&] { return s.Assign("a-a-a", 5); }), kErrNone);
        PKSubString v(&s);
        int32 count = 0;
        const TqErr err = v.SearchReplace(PKSubString("a"), PKSubString("bbb"), &count);
        ExpectResult(err);
        if (!err) {
            EXPECT_EQ(View(v), "bbb-bbb-bbb");
        }
    });
}

TEST_F(AllocFailureTest, ViewsOfOtherStorage) {
    EachFailure([] {
        PKTempString t;
        const std::string text(300, 't');
        const TqErr err = t.Assign(text.data(), 300);
        ExpectResult(err);
        EXPECT_EQ(t.Length(), err ? 0 : 300);
    });
    EachFailure([] {
        CPStrHandle h = NewList({"one", "two"});
        PKSubString e(h, 0);
        const TqErr err = e.AppendCStr("-longer");
        ExpectResult(err);
        EXPECT_EQ(Items(h), (err ? Strings{"one", "two"} : Strings{"one-longer", "two"}));
        Free(h);
    });
    EachFailure([] {
        PKString s;
        const std::string text(400, 's');
        ASSERT_EQ(Unfailing([&] { return s.Assign(text.data(), 400); }), kErrNone);
        PKSubString v(&s);
        const TqErr err = v.Append(v);  // its own text, copied aside first
        ExpectResult(err);
        EXPECT_EQ(s.Length(), err ? 400 : 800);
    });
}

}  // namespace
