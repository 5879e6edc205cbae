// QSort against glibc qsort and std::sort; BinSearch against std::lower_bound.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "tqcore/sortsearch.h"

namespace {

constexpr size_t kCount = 1000000;

struct Record {
    int32 key;
    int32 rest[5];
};
static_assert(sizeof(Record) == 24);

int CompareIntC(const void* a, const void* b) {
    const int32 x = *static_cast<const int32*>(a), y = *static_cast<const int32*>(b);
    return (x > y) - (x < y);
}

int32 CompareInt(const void* a, const void* b) {
    return CompareIntC(a, b);
}

int CompareRecordC(const void* a, const void* b) {
    return CompareIntC(&static_cast<const Record*>(a)->key, &static_cast<const Record*>(b)->key);
}

int32 CompareRecord(const void* a, const void* b) {
    return CompareRecordC(a, b);
}

const std::vector<int32>& Ints() {
    static const std::vector<int32> v = [] {
        std::vector<int32> r(kCount);
        std::mt19937 gen(1);
        for (auto& x : r) x = int32(gen());
        return r;
    }();
    return v;
}

const std::vector<Record>& Records() {
    static const std::vector<Record> v = [] {
        std::vector<Record> r(kCount);
        std::mt19937 gen(2);
        for (auto& x : r) x = Record{int32(gen()), {1, 2, 3, 4, 5}};
        return r;
    }();
    return v;
}

template <class T, class Sort>
void RunSort(benchmark::State& state, const std::vector<T>& source, Sort sort) {
    std::vector<T> v;
    for (auto _ : state) {
        state.PauseTiming();
        v = source;
        state.ResumeTiming();
        sort(v);
        benchmark::DoNotOptimize(v.data());
    }
}

void BM_QSort_Int32(benchmark::State& s) {
    RunSort(s, Ints(), [](auto& v) { QSort(v.data(), v.size(), sizeof v[0], CompareInt); });
}
void BM_LibcQsort_Int32(benchmark::State& s) {
    RunSort(s, Ints(), [](auto& v) { std::qsort(v.data(), v.size(), sizeof v[0], CompareIntC); });
}
void BM_StdSort_Int32(benchmark::State& s) {
    RunSort(s, Ints(), [](auto& v) { std::sort(v.begin(), v.end()); });
}
void BM_QSort_Record24(benchmark::State& s) {
    RunSort(s, Records(), [](auto& v) { QSort(v.data(), v.size(), sizeof v[0], CompareRecord); });
}
void BM_LibcQsort_Record24(benchmark::State& s) {
    RunSort(s, Records(), [](auto& v) { std::qsort(v.data(), v.size(), sizeof v[0], CompareRecordC); });
}
void BM_StdSort_Record24(benchmark::State& s) {
    RunSort(s, Records(), [](auto& v) {
        std::sort(v.begin(), v.end(), [](const Record& a, const Record& b) { return a.key < b.key; });
    });
}

const std::vector<int32>& SortedInts() {
    static const std::vector<int32> v = [] {
        std::vector<int32> r = Ints();
        std::sort(r.begin(), r.end());
        return r;
    }();
    return v;
}

void BM_BinSearch(benchmark::State& state) {
    const auto& v = SortedInts();
    std::mt19937 gen(3);
    int64 found = 0;
    for (auto _ : state) {
        const int32 key = int32(gen());
        found += BinSearch(v.data(), int32(v.size()), sizeof(int32), &key, CompareInt);
    }
    benchmark::DoNotOptimize(found);
}

void BM_LowerBound(benchmark::State& state) {
    const auto& v = SortedInts();
    std::mt19937 gen(3);
    int64 found = 0;
    for (auto _ : state) {
        const int32 key = int32(gen());
        found += std::lower_bound(v.begin(), v.end(), key) - v.begin();
    }
    benchmark::DoNotOptimize(found);
}

}  // namespace

BENCHMARK(BM_QSort_Int32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibcQsort_Int32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdSort_Int32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QSort_Record24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibcQsort_Record24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdSort_Record24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BinSearch);
BENCHMARK(BM_LowerBound);
BENCHMARK_MAIN();
