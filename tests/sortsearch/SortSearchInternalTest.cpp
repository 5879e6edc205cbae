#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "sortsearch/QuickSort.h"
#include "tqcore/sortsearch.h"

namespace {

template <size_t N>
struct Rec {
    uInt8 key;
    uInt8 payload[N - 1];
};

template <size_t N>
int32 CompareRec(const void* a, const void* b) {
    return int32(static_cast<const Rec<N>*>(a)->key) - int32(static_cast<const Rec<N>*>(b)->key);
}

// Every record carries its key repeated in the payload: a swap that moves only part of an element breaks it.
// A grain given is the swap unit to use, whether or not it divides the size.
template <size_t N>
void SortRecordsOfSize(size_t grain = 0) {
    std::mt19937 gen(N);
    std::vector<Rec<N>> v(500);
    for (auto& r : v) {
        r.key = uInt8(gen());
        std::memset(r.payload, r.key, N - 1);
    }
    std::vector<uInt8> keys;
    for (auto& r : v) keys.push_back(r.key);
    if (grain) {
        QSort2(v.data(), v.size(), grain, N, CompareRec<N>);
    } else {
        QSort(v.data(), v.size(), N, CompareRec<N>);
    }
    std::sort(keys.begin(), keys.end());
    for (size_t i = 0; i < v.size(); ++i) {
        ASSERT_EQ(v[i].key, keys[i]) << "size " << N << " at " << i;
        for (size_t j = 0; j < N - 1; ++j) ASSERT_EQ(v[i].payload[j], v[i].key) << "size " << N;
    }
}

TEST(SortSearchTest, EachSwapGranularity) {
    EXPECT_EQ(tq::sortsearch::SwapUnitFor(3), 1u);
    EXPECT_EQ(tq::sortsearch::SwapUnitFor(1), 1u);
    EXPECT_EQ(tq::sortsearch::SwapUnitFor(6), 2u);
    EXPECT_EQ(tq::sortsearch::SwapUnitFor(2), 2u);
    EXPECT_EQ(tq::sortsearch::SwapUnitFor(8), 4u);
    EXPECT_EQ(tq::sortsearch::SwapUnitFor(24), 4u);
    SortRecordsOfSize<3>();
    SortRecordsOfSize<6>();
    SortRecordsOfSize<8>();
    SortRecordsOfSize<10>();  // 16-bit units
    SortRecordsOfSize<24>();
    SortRecordsOfSize<1>();
    SortRecordsOfSize<6>(4);  // a grain that does not divide the size still swaps whole elements
}

int32 gCalls = 0;
int32 CountingCompare(const void* a, const void* b) {
    ++gCalls;
    return CompareInt32s(a, b);
}

// Depth bound for the explicit stack: the larger side is deferred, so at most log2(n) ranges wait.
int32 MaxDepth(std::vector<int32>& v) {
    return tq::sortsearch::QuickSort(v.data(), v.size(), 4, 4,
                                     tq::sortsearch::SortCompare{CompareInt32s, nullptr, nullptr});
}

TEST(SortSearchTest, OrderedReversedAndEqualInputKeepStackLogarithmic) {
    const size_t n = 1 << 16;
    std::vector<int32> sorted(n), reversed(n), equal(n, 5), organ(n);
    for (size_t i = 0; i < n; ++i) {
        sorted[i] = int32(i);
        reversed[i] = int32(n - i);
        organ[i] = int32(i < n / 2 ? i : n - i);
    }
    for (auto* v : {&sorted, &reversed, &equal, &organ}) {
        std::vector<int32> expect = *v;
        std::sort(expect.begin(), expect.end());
        const int32 depth = MaxDepth(*v);
        EXPECT_EQ(*v, expect);
        EXPECT_LE(depth, 16);
    }
    gCalls = 0;
    std::vector<int32> e(n, 1);
    QSort(e.data(), e.size(), 4, CountingCompare);
    EXPECT_LT(gCalls, int32(40 * n));  // all-equal input splits evenly, not quadratically
}

TEST(SortSearchTest, RandomInputSmallCountsAndContext) {
    std::mt19937 gen(42);
    for (size_t n : {0, 1, 2, 3, 4, 5, 7, 16, 17, 100, 1000}) {
        std::vector<int32> v(n);
        for (auto& x : v) x = int32(gen() % 50) - 25;
        std::vector<int32> expect = v;
        std::sort(expect.begin(), expect.end());
        QSort(v.data(), v.size(), sizeof(int32), CompareInt32s);
        EXPECT_EQ(v, expect) << n;
    }
    std::vector<int32> v = {3, 1, 2, 5, 4};
    int32 descending = -1;
    QSortEx(
        v.data(), v.size(), 4,
        [](const void* a, const void* b, void* ctx) {
            return *static_cast<int32*>(ctx) * CompareInt32s(a, b);
        },
        &descending);
    EXPECT_EQ(v, (std::vector<int32>{5, 4, 3, 2, 1}));
    QSort(nullptr, 10, 4, CompareInt32s);
    QSort(v.data(), v.size(), 4, nullptr);
    EXPECT_EQ(v, (std::vector<int32>{5, 4, 3, 2, 1}));
}

TEST(SortSearchTest, BinSearchResults) {
    const int32 a[] = {1, 3, 7};
    auto find = [&](int32 key) { return BinSearch(a, 3, sizeof(int32), &key, CompareInt32s); };
    EXPECT_EQ(find(5), -3);
    EXPECT_EQ(find(0), -1);
    EXPECT_EQ(find(9), -4);
    EXPECT_EQ(find(1), 0);
    EXPECT_EQ(find(3), 1);
    EXPECT_EQ(find(7), 2);
    EXPECT_EQ(find(2), -2);
    int32 k = 1;
    EXPECT_EQ(BinSearch(a, 0, 4, &k, CompareInt32s), -1);
    std::vector<int32> big(1001);
    for (size_t i = 0; i < big.size(); ++i) big[i] = int32(2 * i);
    for (int32 key = -1; key <= 2002; ++key) {
        const int32 r = BinSearchEx(
            big.data(), int32(big.size()), 4, &key,
            [](const void* x, const void* y, void*) { return CompareInt32s(x, y); }, nullptr);
        const int32 ins = int32(std::lower_bound(big.begin(), big.end(), key) - big.begin());
        EXPECT_EQ(r, key % 2 == 0 && key >= 0 && key <= 2000 ? ins : ~ins) << key;
    }
}

TEST(SortSearchTest, StockComparisons) {
    const int16 s1 = -32768, s2 = 32767;
    EXPECT_EQ(CompareInt16s(&s1, &s2), -65535);
    const int32 big = 0x7FFFFFFF, neg = -1;
    EXPECT_EQ(CompareInt32s(&big, &neg), int32(0x80000000u));  // wraps like the 32-bit subtraction it is
    const uintptr_t lo = 1, hi = ~uintptr_t(0);
    EXPECT_EQ(CompareUIntPtrTs(&lo, &hi), -1);
    EXPECT_EQ(CompareUIntPtrTs(&hi, &lo), 1);
    EXPECT_EQ(CompareUIntPtrTs(&hi, &hi), 0);
}

}  // namespace
