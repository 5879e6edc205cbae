// Allocation failure in every string-class and list operation in turn: each allocation the operation makes
// fails once, and the operation must answer kErrMemoryFull, keep its list or string as it was, and leak
// nothing. The memory manager's entry points are wrapped at link time for this program
// (tests/CMakeLists.txt).
#include <string>
#include <vector>

#include "memory/MemoryManager.h"
#include "strings/StringTestSupport.h"

using namespace strtest;

namespace {

using Strings = std::vector<std::string>;
int gFailAt = 0;  // the call that fails, counted from 1; 0 = none
int gCalls = 0;
bool gInjected = false;

bool Due() {
    if (gFailAt == 0 || ++gCalls != gFailAt) return false;
    gInjected = true;
    return true;
}

}  // namespace

extern "C" {
UHandle __real_DSNewHandle(uInt64 size);
UHandle __real_DSNewHClr(uInt64 size);
UPtr __real_DSNewPtr(uInt64 size);
TqErr __real_DSSetHandleSize(UHandle h, uInt64 size);
TqErr __real_DSSetAlignedHandleSize(UHandle h, uInt64 size, uInt32 alignment, uInt32 offset);
TqErr __real_DSSetHandleSizeOrNewHandle(UHandle* h, uInt64 size);
TqErr __real_DSSetHandleFromPtr(UHandle* h, const void* p, uInt64 n);
TqErr __real_DSCopyHandle(UHandle* dst, UHandle src);

UHandle __wrap_DSNewHandle(uInt64 size) {
    return Due() ? nullptr : __real_DSNewHandle(size);
}
UHandle __wrap_DSNewHClr(uInt64 size) {
    return Due() ? nullptr : __real_DSNewHClr(size);
}
UPtr __wrap_DSNewPtr(uInt64 size) {
    return Due() ? nullptr : __real_DSNewPtr(size);
}
TqErr __wrap_DSSetHandleSize(UHandle h, uInt64 size) {
    return Due() ? kErrMemoryFull : __real_DSSetHandleSize(h, size);
}
TqErr __wrap_DSSetAlignedHandleSize(UHandle h, uInt64 size, uInt32 alignment, uInt32 offset) {
    return Due() ? kErrMemoryFull : __real_DSSetAlignedHandleSize(h, size, alignment, offset);
}
TqErr __wrap_DSSetHandleSizeOrNewHandle(UHandle* h, uInt64 size) {
    return Due() ? kErrMemoryFull : __real_DSSetHandleSizeOrNewHandle(h, size);
}
TqErr __wrap_DSSetHandleFromPtr(UHandle* h, const void* p, uInt64 n) {
    return Due() ? kErrMemoryFull : __real_DSSetHandleFromPtr(h, p, n);
}
TqErr __wrap_DSCopyHandle(UHandle* dst, UHandle src) {
    return Due() ? kErrMemoryFull : __real_DSCopyHandle(dst, src);
}
}

namespace {

class AllocFailureTest : public StringTest {
  protected:
    // Runs trial with the 1st, 2nd, ... allocation failing until a run has none left to fail; each trial
    // builds its own state, checks it and frees it. Afterwards no handle is left over.
    template <class Trial>
    void EachFailure(Trial trial) {
        const int64 live = tq::memory::LiveHandleCount();
        int failures = 0;
        for (int k = 1; k < 1000; ++k) {
            gCalls = 0;
            gInjected = false;
            gFailAt = k;
            trial();
            gFailAt = 0;
            EXPECT_EQ(tq::memory::LiveHandleCount(), live) << "allocation " << k;
            if (!gInjected) break;
            ++failures;
        }
        EXPECT_GT(failures, 0) << "the operation allocates";
    }
    // Result of op: kErrMemoryFull when an allocation failed, else 0.
    static void ExpectResult(TqErr err) { EXPECT_EQ(err, gInjected ? kErrMemoryFull : kErrNone); }
};

// Holds the list or string of a trial, made with failures off.
class Off {
  public:
    Off() : saved_(gFailAt) { gFailAt = 0; }
    ~Off() { gFailAt = saved_; }
    Off(const Off&) = delete;
    Off& operator=(const Off&) = delete;

  private:
    int saved_;
};

CPStrHandle NewList(std::initializer_list<const char*> items) {
    const Off off;
    auto h = reinterpret_cast<CPStrHandle>(DSNewHClr(4));
    for (const char* s : items) EXPECT_EQ(CPStrInsert(h, P(s), 99), kErrNone);
    return h;
}

std::vector<std::string> Items(CPStrHandle h) {
    std::vector<std::string> out;
    for (int32 i = 0; h && *h && i < (*h)->cnt; ++i) out.push_back(Text(CPStrIndex(h, i)));
    return out;
}

void Free(void* h) {
    const Off off;
    DSDisposeHandle(static_cast<UHandle>(h));
}

// The text of a view, or of a string.
std::string View(const PKSubString& s) {
    return s.Length() > 0 ? std::string(s.Data(), size_t(s.Length())) : std::string();
}

TEST_F(AllocFailureTest, CPStrInsertAndReplace) {
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
}

TEST_F(AllocFailureTest, CPStrSetToNEmptyStrings) {
    EachFailure([] {
        CPStrHandle h = nullptr;
        ExpectResult(CPStrSetToNEmptyStrings(&h, 4));
        if (gInjected) {
            EXPECT_EQ(h, nullptr);
        }
        Free(h);
    });
}

TEST_F(AllocFailureTest, CLStrInsertAndInsertSort) {
    alignas(4) uChar s[12] = {5, 0, 0, 0, 'h', 'e', 'l', 'l', 'o'};
    EachFailure([&] {
        CLStrHandle h = nullptr;
        {
            const Off off;
            h = reinterpret_cast<CLStrHandle>(DSNewHClr(4));
        }
        const TqErr err = CLStrInsert(h, reinterpret_cast<const LStr*>(s), 0, 1);
        ExpectResult(err);
        EXPECT_EQ((*h)->cnt, err ? 0 : 1);
        Free(h);
    });
    EachFailure([&] {
        CLStrHandle h = nullptr;
        {
            const Off off;
            h = reinterpret_cast<CLStrHandle>(DSNewHClr(4));
        }
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
        EXPECT_EQ(list.Count(), gInjected ? 0 : 1);
    });
    EachFailure([] {
        CPStrHandle h = NewList({"a", "b"});
        {
            CPStrList copy(*h);
            EXPECT_EQ(copy.Handle() == nullptr, gInjected) << "the handle stays null when the copy fails";
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
        {
            const Off off;
            ASSERT_EQ(a.Insert(P("a"), -1), kErrNone);
        }
        ExpectResult(b.Copy(a));
        EXPECT_EQ(b.Equal(a), gInjected ? 0 : 1);
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
        {
            const Off off;
            ASSERT_EQ(s.Assign("hello", 5), kErrNone);
        }
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
        {
            const Off off;
            ASSERT_EQ(s.Assign(big.data(), 1500), kErrNone);
        }
        PKSubString v(&s);
        const TqErr err = v.Append(big.data(), 2000);
        ExpectResult(err);
        EXPECT_EQ(s.Length(), err ? 1500 : 3500);
    });
    EachFailure([] {
        PKString s;
        {
            const Off off;
            ASSERT_EQ(s.Assign("a-a-a", 5), kErrNone);
        }
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
        {
            const Off off;
            ASSERT_EQ(s.Assign(text.data(), 400), kErrNone);
        }
        PKSubString v(&s);
        const TqErr err = v.Append(v);  // its own text, copied aside first
        ExpectResult(err);
        EXPECT_EQ(s.Length(), err ? 400 : 800);
    });
}

}  // namespace
