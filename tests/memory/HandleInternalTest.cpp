#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <vector>

#include "memory/MemoryManager.h"
#include "memory/Services.h"
#include "support/ReportCapture.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"

namespace {

uintptr_t Addr(UHandle h) {
    return reinterpret_cast<uintptr_t>(*h);
}

void Fill(UHandle h, uInt64 n, uChar seed) {
    for (uInt64 i = 0; i < n; ++i) (*h)[i] = uChar(seed + i * 7);
}
bool Holds(UHandle h, uInt64 n, uChar seed) {
    for (uInt64 i = 0; i < n; ++i)
        if ((*h)[i] != uChar(seed + i * 7)) return false;
    return true;
}

class HandleTest : public ::testing::Test {
  protected:
    ReportCapture capture;
    void TearDown() override { EXPECT_EQ(tq::memory::LiveHandleCount(), live_); }
    int64 live_ = tq::memory::LiveHandleCount();
};

TEST_F(HandleTest, EmptyHandleIsLiveWithSizeZero) {
    UHandle h = DSNewHandle(0);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(DSGetHandleSize(h), 0);
    EXPECT_EQ(IsDSHandle(h), 1);
    EXPECT_EQ(DSCheckHandle(h), kErrNone);
    EXPECT_EQ(DSDisposeHandle(h), kErrNone);
    EXPECT_EQ(IsDSHandle(nullptr), 0);
    EXPECT_EQ(DSDisposeHandle(nullptr), kErrNone);
}

TEST_F(HandleTest, DefaultAlignmentFollowsSize) {
    struct Case {
        uInt64 size;
        uInt32 align, offset;
    } cases[] = {{12, 8, 4},
                 {16, 8, 8},
                 {1, 8, 8},
                 {2000, 64, 8},
                 {1028, 64, 4},
                 {1027, 64, 0},
                 {2 << 20, 4096, 8},
                 {(1 << 20) + 4, 4096, 4},
                 {(1 << 20) + 3, 4096, 0}};
    for (const Case& c : cases) {
        UHandle h = DSNewHandle(c.size);
        ASSERT_NE(h, nullptr) << c.size;
        EXPECT_EQ((Addr(h) + c.offset) % c.align, 0u) << "size " << c.size;
        EXPECT_EQ(DSGetHandleSize(h), int64(c.size));
        Fill(h, c.size, 3);
        EXPECT_EQ(DSCheckHandle(h), kErrNone);
        EXPECT_EQ(DSDisposeHandle(h), kErrNone);
    }
}

TEST_F(HandleTest, ExplicitAlignmentIsNormalised) {
    struct Case {
        uInt32 align, offset, wantAlign, wantOffset;
    } cases[] = {{4, 0, 8, 8},
                 {8, 16, 8, 8},
                 {8, 4, 8, 4},
                 {24, 0, 32, 0},
                 {100, 6, 128, 8},
                 {4096, 12, 4096, 12},
                 {1 << 15, 4, 1 << 15, 4},
                 {40000, 0, 1 << 15, 0},
                 {64, 1, 64, 4}};
    for (const Case& c : cases) {
        UHandle h = DSNewAlignedHClr(100, c.align, c.offset);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ((Addr(h) + c.wantOffset) % c.wantAlign, 0u) << c.align << "/" << c.offset;
        EXPECT_EQ(std::count(*h, *h + 100, 0), 100);
        // a plain resize returns the handle to the default rule for its new size
        ASSERT_EQ(DSSetHandleSize(h, 12), kErrNone);
        EXPECT_EQ((Addr(h) + 4) % 8, 0u);
        EXPECT_EQ(DSDisposeHandle(h), kErrNone);
    }
}

TEST_F(HandleTest, ResizeKeepsBytesAcrossLayoutsAndClearsGrowth) {
    UHandle h = DSNewHandle(8);
    Fill(h, 8, 11);
    const uInt64 sizes[] = {12, 1000, 1030, 3, 70000, 200000, 300004, (1 << 20) + 4, 140000, 500, 4};
    uInt64 kept = 8;
    for (uInt64 size : sizes) {
        ASSERT_EQ(DSSetHSzClr(h, size), kErrNone) << size;
        EXPECT_EQ(DSGetHandleSize(h), int64(size));
        const uInt64 old = kept;
        kept = std::min(kept, size);
        EXPECT_TRUE(Holds(h, kept, 11)) << "after resize to " << size;
        if (size > old) {
            EXPECT_EQ(uInt64(std::count(*h + old, *h + size, 0)), size - old) << size;
        }
        const auto def = [](uInt64 s) { return s < 1024 ? 8u : s < 0x100000 ? 64u : 4096u; }(size);
        const uInt32 off = size % 8 == 0 ? 8 : size % 8 == 4 ? 4 : (def == 8 ? 8 : 0);
        EXPECT_EQ((Addr(h) + off) % def, 0u) << size;
        Fill(h, size, 11);
        kept = size;
    }
    EXPECT_EQ(DSDisposeHandle(h), kErrNone);
}

TEST_F(HandleTest, DoubleDisposeIsCaughtAndReported) {
    UHandle h = DSNewHandle(32);
    ASSERT_EQ(DSDisposeHandle(h), kErrNone);
    EXPECT_EQ(DSDisposeHandle(h), kErrBadHandle);
    EXPECT_EQ(ReportCapture::Count(kDbgNote, "Deallocated or possibly invalid pointer"), 1);
    EXPECT_EQ(ReportCapture::Count(kDbgError, "Memory error 3 in DSDisposeHandle"), 1);
    EXPECT_EQ(IsDSHandle(h), 0);
    EXPECT_EQ(DSCheckHandle(h), kErrBadHandle);
    EXPECT_EQ(DSGetHandleSize(h), 0);
    EXPECT_EQ(DSSetHandleSize(h, 8), kErrBadHandle);
    // a pointer that is not a master pointer at all
    uChar* notMaster = nullptr;
    uChar** fake = &notMaster;
    EXPECT_EQ(IsDSHandle(fake), 0);
    EXPECT_EQ(DSDisposeHandle(fake), kErrBadHandle);
}

TEST_F(HandleTest, CheckLevelDecidesWhichOperationsValidateFully) {
    uChar* data = reinterpret_cast<uChar*>(uintptr_t(64));
    uChar** outside = &data;  // looks live, but is no master pointer of the zone
    ASSERT_EQ(DSSetHandleChecking(1), 2);
    EXPECT_EQ(AZCheckHandle(outside), kErrBadHandle);  // full at level 1
    EXPECT_EQ(DSCheckHandle(outside), kErrBadHandle);  // always full
    DSSetHandleChecking(0);
    EXPECT_EQ(AZCheckHandle(outside), kErrNone);  // only the value is inspected
    EXPECT_EQ(AZHLock(outside), kErrNone);
    EXPECT_EQ(DSSetHandleChecking(7), 0);
    DSSetHandleChecking(2);
    EXPECT_EQ(AZHLock(outside), kErrBadHandle);
    EXPECT_EQ(ReportCapture::Count(kDbgError, "Memory error 3 in AZHLock"), 1);
    EXPECT_EQ(AZHUnlock(outside), kErrBadHandle);
    EXPECT_EQ(ReportCapture::Count(kDbgError, "Memory error 3 in AZHLock"), 2);
}

TEST_F(HandleTest, SizeOrNewFamilies) {
    UHandle h = nullptr;
    ASSERT_EQ(DSSetHSzOrNewHClr(&h, 10), kErrNone);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(std::count(*h, *h + 10, 0), 10);
    ASSERT_EQ(DSSetHandleSizeOrNewHandle(&h, 20), kErrNone);
    EXPECT_EQ(DSGetHandleSize(h), 20);
    ASSERT_EQ(DataSetHandleSizeOrNewHandle(&h, 0), kErrNone);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(DataSetHSzOrNewHClr(&h, 0), kErrNone);
    EXPECT_EQ(h, nullptr);
    ASSERT_EQ(DataSetHSzOrNewHClr(&h, 5), kErrNone);
    EXPECT_EQ(DSGetHandleSize(h), 5);
    EXPECT_EQ(DSDisposeHandleAndNull(&h), kErrNone);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(DSDisposeHandleAndNull(&h), kErrNone);
    EXPECT_EQ(DSSetHandleSizeOrNewHandle(nullptr, 4), kErrArgument);
}

TEST_F(HandleTest, CopyFamilies) {
    const char text[] = "relocatable";
    UHandle a = nullptr;
    ASSERT_EQ(DSPtrToHand(text, &a, 11), kErrNone);
    EXPECT_EQ(std::memcmp(*a, text, 11), 0);

    UHandle b = nullptr;
    ASSERT_EQ(DSCopyHandle(&b, a), kErrNone);
    EXPECT_EQ(DSGetHandleSize(b), 11);
    EXPECT_EQ(std::memcmp(*b, text, 11), 0);
    ASSERT_EQ(DSCopyHandle(&b, a), kErrNone);  // reuses the existing handle
    EXPECT_EQ(DSCopyHandle(&b, b), kErrNone);
    EXPECT_EQ(ReportCapture::Count(kDbgError, "Should call DSHandToHand. This is a no-op"), 1);

    ASSERT_EQ(DSHandAndHand(a, b), kErrNone);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(*b), 22), "relocatablerelocatable");
    ASSERT_EQ(DSHandAndHand(b, b), kErrNone);  // appending a handle to itself
    EXPECT_EQ(DSGetHandleSize(b), 44);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(*b) + 22, 22), "relocatablerelocatable");

    ASSERT_EQ(DSPtrAndHand("!", a, 1), kErrNone);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(*a), 12), "relocatable!");
    ASSERT_EQ(DSPtrAndHand(*a + 2, a, 3), kErrNone);  // source inside the growing handle
    EXPECT_EQ(std::string(reinterpret_cast<char*>(*a), 15), "relocatable!loc");

    UHandle before = a;
    ASSERT_EQ(DSHandToHand(&a), kErrNone);
    EXPECT_NE(a, before);
    EXPECT_EQ(std::memcmp(*a, *before, 15), 0);
    EXPECT_EQ(DSDisposeHandle(before), kErrNone);

    ASSERT_EQ(DSPtrToXHand(*a + 11, a, 4), kErrNone);  // source inside the shrinking handle
    EXPECT_EQ(std::string(reinterpret_cast<char*>(*a), 4), "!loc");
    EXPECT_EQ(DSPtrToXHand(*a + 2, a, 4), kErrArgument);  // runs past the data
    ASSERT_EQ(DSPtrToXHand("xyz", a, 3), kErrNone);
    EXPECT_EQ(DSGetHandleSize(a), 3);
    EXPECT_EQ(DSPtrToXHand("xyz", nullptr, 3), kErrBadHandle);

    UHandle c = nullptr;
    ASSERT_EQ(DSSetHandleFromPtr(&c, "abcd", 4), kErrNone);
    ASSERT_EQ(AZSetHandleFromPtr(&c, "ab", 2), kErrNone);
    EXPECT_EQ(DSGetHandleSize(c), 2);
    ASSERT_EQ(DSSetHandleFromPtrNULLMeansEmpty(&c, "zz", 0), kErrNone);
    EXPECT_EQ(c, nullptr);

    ASSERT_EQ(DSSwapHandles(a, b), kErrNone);
    EXPECT_EQ(DSGetHandleSize(a), 44);
    EXPECT_EQ(DSGetHandleSize(b), 3);
    EXPECT_EQ(DSSwapHandles(a, a), kErrBadHandle);

    ASSERT_EQ(DSCopyHandle(&b, nullptr), kErrNone);
    EXPECT_EQ(b, nullptr);
    EXPECT_EQ(DSDisposeHandle(a), kErrNone);
}

TEST_F(HandleTest, RecoverFindsTheHandleOfItsData) {
    UHandle h = DSNewHandle(40);
    EXPECT_EQ(DSRecoverHandle(*h), h);
    EXPECT_EQ(AZRecoverHandle(*h + 8), nullptr);
    EXPECT_EQ(ReportCapture::Count(kDbgFatal, "not linked to master pointer!"), 1);
    EXPECT_EQ(DSRecoverHandle(nullptr), nullptr);
    DSDisposeHandle(h);
}

TEST_F(HandleTest, StressHandlesMoveOnEveryResize) {
    SetStressHandles(1);
    UHandle h = DSNewHandle(64);
    Fill(h, 64, 5);
    int32 before[4], after[4];
    DSReadCounters(before);
    uInt64 previous = 64;
    for (uInt64 size : {64u, 32u, 40u, 40u, 2000u}) {
        const uChar* old = *h;
        ASSERT_EQ(DSSetHandleSize(h, size), kErrNone);
        EXPECT_EQ(*h != old, size != previous) << size;
        previous = size;
    }
    EXPECT_TRUE(Holds(h, 32, 5));
    DSReadCounters(after);
    EXPECT_EQ(after[2] - before[2], 5);
    EXPECT_EQ(after[3] - before[3], 0);  // stress moves are not counted as data moves
    SetStressHandles(0);
    DSDisposeHandle(h);
}

TEST_F(HandleTest, NeverShrinkKeepsTheBlock) {
    SetNeverShrinkBuffers(1);
    UHandle h = DSNewHandle(4000);
    Fill(h, 4000, 9);
    const uChar* data = *h;
    ASSERT_EQ(DSSetHandleSize(h, 1000), kErrNone);
    EXPECT_EQ(*h, data);
    ASSERT_EQ(DSSetHSzClr(h, 3000), kErrNone);
    EXPECT_EQ(*h, data);
    EXPECT_TRUE(Holds(h, 1000, 9));
    EXPECT_EQ(std::count(*h + 1000, *h + 3000, 0), 2000);
    SetNeverShrinkBuffers(0);
    DSDisposeHandle(h);
}

TEST_F(HandleTest, CountersAndTraceEvents) {
    struct Event {
        int32 event;
        TqErr err;
        UHandle h;
        uInt64 size, old;
    };
    static std::vector<Event> events;
    events.clear();
    MemEventTraceProc previous = SetMemEventTraceProc([](int32 e, TqErr err, UHandle h, uInt64 s, uInt64 o) {
        events.push_back({e, err, h, s, o});
    });
    int32 before[4];
    DSReadCounters(before);
    UHandle h = DSNewHandle(10);
    DSSetHandleSize(h, 30);
    DSDisposeHandle(h);
    DSDisposePtr(DSNewPtr(3));
    SetMemEventTraceProc(previous);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].event, kMemEventNewHandle);
    EXPECT_EQ(events[0].size, 10u);
    EXPECT_EQ(events[1].event, kMemEventResizeHandle);
    EXPECT_EQ(events[1].size, 30u);
    EXPECT_EQ(events[1].old, 10u);
    EXPECT_EQ(events[2].event, kMemEventDisposeHandle);
    EXPECT_EQ(events[2].size, 30u);
    EXPECT_EQ(events[2].h, h);
    int32 after[4];
    DSReadCounters(after);
    EXPECT_EQ(after[0] - before[0], 1);
    EXPECT_EQ(after[1] - before[1], 1);
    EXPECT_EQ(after[2] - before[2], 1);
    const int32 set[4] = {1, 2, 3, 4};
    DSSetCounters(set);
    DSReadCounters(after);
    EXPECT_EQ(std::memcmp(after, set, sizeof set), 0);
    DSSetCounters(nullptr);
    DSReadCounters(nullptr);
}

TEST_F(HandleTest, ExhaustionCallsMemFullAndLeavesHandleAlone) {
    static uInt64 asked = 0;
    MemFullProc previous = SetMemFullProc([](uInt64 n) { asked = n; });
    const uInt64 huge = uInt64(1) << 60;
    EXPECT_EQ(DSNewHandle(huge), nullptr);
    EXPECT_EQ(asked, huge);
    UHandle h = DSNewHandle(16);
    Fill(h, 16, 1);
    const uChar* data = *h;
    EXPECT_EQ(DSSetHandleSize(h, huge), kErrMemoryFull);
    EXPECT_EQ(ReportCapture::Count(kDbgError, "Memory error 2 in DSSetHandleSize"), 1);
    EXPECT_EQ(*h, data);
    EXPECT_EQ(DSGetHandleSize(h), 16);
    EXPECT_TRUE(Holds(h, 16, 1));
    EXPECT_EQ(DSNewPtr(huge), nullptr);
    EXPECT_EQ(SetMemFullProc(previous) != nullptr, true);
    DSDisposeHandle(h);
}

TEST_F(HandleTest, PointersAndHeapCheck) {
    UPtr p = DSNewPClr(0);
    ASSERT_NE(p, nullptr);
    UPtr q = DSNewPClr(100);
    EXPECT_EQ(std::count(q, q + 100, 0), 100);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(q) % 8, 0u);
    EXPECT_EQ(DSCheckPtr(q), kErrNone);
    EXPECT_EQ(DSCheckPtr(nullptr), kErrBadHandle);
    EXPECT_EQ(DSDisposePtr(nullptr), kErrArgument);
    EXPECT_EQ(DSDisposePtr(p), kErrNone);
    EXPECT_EQ(DSDisposePtr(q), kErrNone);
    EXPECT_EQ(DSHeapCheck(1), kErrNone);
    EXPECT_EQ(ReportCapture::Count(kDbgNote, "Allocated to PK: totAllocSize "), 1);
    EXPECT_EQ(MemCheckHeaps(), kErrNone);
    EXPECT_EQ(ReportCapture::Count(kDbgNote, "turning memory checking on"), 1);
    EXPECT_EQ(ReportCapture::Count(kDbgNote, "turning memory checking off"), 1);
}

TEST_F(HandleTest, ServiceStopRecoversLiveHandles) {
    IServiceObject* s = MemoryManagerService();
    ASSERT_EQ(s->Init(), kErrNone);
    EXPECT_EQ(GetMemoryManagerInitialized(), 1);
    UHandle h = DSNewHandle(77);
    ASSERT_EQ(s->Uninit(), kErrNone);
    EXPECT_EQ(GetMemoryManagerInitialized(), 0);
    EXPECT_EQ(ReportCapture::Count(kDbgWarn, ", size 77 still allocated."), 1);
    EXPECT_GE(ReportCapture::Count(kDbgNote, "Recovered "), 1);
    EXPECT_EQ(IsDSHandle(h), 0);
    live_ = 0;
}

}  // namespace
