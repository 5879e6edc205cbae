#include <gtest/gtest.h>

#include <vector>

#include "support/ReportCapture.h"
#include "tqcore/memory.h"
#include "tqcore/sortsearch.h"

namespace {

class HObjListTest : public ::testing::Test {
  protected:
    void SetUp() override { list_ = DSNewHClr(8); }
    void TearDown() override { DSDisposeHandle(list_); }

    std::vector<void*> Items() const {
        const int32 n = *reinterpret_cast<int32*>(*list_);
        void** e = reinterpret_cast<void**>(*list_ + 8);
        return std::vector<void*>(e, e + n);
    }
    int64 Size() const { return DSGetHandleSize(list_); }
    void Fill(std::initializer_list<void*> objects) {
        for (void* o : objects) ASSERT_EQ(HObjListInsert(list_, o, kHObjListEnd), 0);
    }

    UHandle list_ = nullptr;
    int a_, b_, c_, d_;
    void* A = &a_;
    void* B = &b_;
    void* C = &c_;
    void* D = &d_;
    using V = std::vector<void*>;
};

TEST_F(HObjListTest, InsertPinsPositionsAndGrowsInSteps) {
    Fill({A, B, C});
    EXPECT_EQ(Items(), (V{A, B, C}));
    EXPECT_EQ(Size(), 8 + 32);  // two 16-byte steps hold four entries
    ASSERT_EQ(HObjListInsert(list_, D, 99), 0);
    EXPECT_EQ(Items(), (V{A, B, C, D}));
    ASSERT_EQ(HObjListInsert(list_, D, -4), 0);
    EXPECT_EQ(Items(), (V{D, A, B, C, D}));
    EXPECT_EQ(Size(), 8 + 48);
    ASSERT_EQ(HObjListInsert(list_, nullptr, 2), 0);
    EXPECT_EQ(Items(), (V{D, A, nullptr, B, C, D}));
}

TEST_F(HObjListTest, DeleteSearchAndShrink) {
    EXPECT_EQ(HObjListDelete(list_, 0), nullptr);
    Fill({A, B, A, C, D});
    EXPECT_EQ(HObjListSearch(list_, A), 2);  // the higher index wins
    EXPECT_EQ(HObjListSearch(list_, &list_), -1);
    EXPECT_EQ(HObjListDelete(list_, kHObjListEnd), D);
    EXPECT_EQ(HObjListDelete(list_, 77), C);
    EXPECT_EQ(HObjListDelete(list_, -1), A);
    EXPECT_EQ(Items(), (V{B, A}));
    EXPECT_LE(Size(), 8 + 8 * 2 + 16);  // never more than two spare slots after deletes
    EXPECT_EQ(HObjListSearchDelete(list_, A), 1);
    EXPECT_EQ(HObjListSearchDelete(list_, A), 0);
    EXPECT_EQ(Items(), V{B});
}

TEST_F(HObjListTest, BringToFrontAndSwap) {
    ReportCapture capture;
    Fill({A, B, C, D});
    EXPECT_EQ(HObjListBringToFront(list_, C), 1);
    EXPECT_EQ(Items(), (V{C, A, B, D}));
    EXPECT_EQ(HObjListBringToFront(list_, C), 0);
    EXPECT_EQ(HObjListBringToFront(list_, &list_), 0);
    EXPECT_EQ(ReportCapture::Count(kDbgNote, "HObjListBringToFront: object not found!!!"), 1);
    HObjListSwap(list_, 0, 3);
    EXPECT_EQ(Items(), (V{D, A, B, C}));
    HObjListSwap(list_, 1, 4);
    HObjListSwap(list_, -1, 0);
    EXPECT_EQ(ReportCapture::Count(kDbgFatal, "HObjListSwap: pos out of range"), 2);
    EXPECT_EQ(Items(), (V{D, A, B, C}));
}

TEST_F(HObjListTest, CompactDropsNullsAndShrinks) {
    Fill({A, nullptr, B, nullptr});
    for (int i = 0; i < 8; ++i) ASSERT_EQ(HObjListInsert(list_, nullptr, kHObjListEnd), 0);
    HCompactObjList(list_);
    EXPECT_EQ(Items(), (V{A, B}));
    EXPECT_EQ(Size(), (2 * 8 + 19) & ~15);
    HCompactObjList(list_);
    EXPECT_EQ(Items(), (V{A, B}));
}

TEST(HObjListMisuseTest, NullListIsReportedAndHarmless) {
    ReportCapture capture;
    int x;
    EXPECT_NE(HObjListInsert(nullptr, &x, 0), 0);
    EXPECT_EQ(HObjListDelete(nullptr, 0), nullptr);
    EXPECT_EQ(HObjListSearch(nullptr, &x), -1);
    HObjListSwap(nullptr, 0, 0);
    HCompactObjList(nullptr);
    EXPECT_EQ(ReportCapture::Count(kDbgFatal, "null object list"), 5);
}

}  // namespace
