// The string classes and packed lists beside their standard peers: appends, formatting into a string and a
// search of a 10,000-string list.
#define FMT_HEADER_ONLY
#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tqcore/core.h"
#include "tqcore/memory.h"
#include "tqcore/strings.h"

namespace {

constexpr int kAppends = 100000;
const char kPiece[] = "8 bytes!";

void BM_PKStringAppend8(benchmark::State& state) {
    for (auto _ : state) {
        PKString s;
        PKSubString view(&s);
        view.Append("x", 1);
        for (int i = 0; i < kAppends; ++i) view.Append(kPiece, 8);
        benchmark::DoNotOptimize(s.Length());
    }
}
BENCHMARK(BM_PKStringAppend8)->Unit(benchmark::kMicrosecond);

void BM_StdStringAppend8Peer(benchmark::State& state) {
    for (auto _ : state) {
        std::string s = "x";
        for (int i = 0; i < kAppends; ++i) s.append(kPiece, 8);
        benchmark::DoNotOptimize(s.size());
    }
}
BENCHMARK(BM_StdStringAppend8Peer)->Unit(benchmark::kMicrosecond);

// One formatted record into a string that already exists, as a caller reusing its buffer does.
void BM_PKStringPrintf(benchmark::State& state) {
    PKString s;
    int i = 0;
    for (auto _ : state) {
        s.Printf("%d: %s = %x", i, "name", unsigned(i) * 2654435761u);
        benchmark::DoNotOptimize(s.Length());
        ++i;
    }
}
BENCHMARK(BM_PKStringPrintf);

void BM_SnprintfString(benchmark::State& state) {
    std::string s;
    int i = 0;
    for (auto _ : state) {
        char buf[64];
        const int n = std::snprintf(buf, sizeof buf, "%d: %s = %x", i, "name", unsigned(i) * 2654435761u);
        s.assign(buf, size_t(n));
        benchmark::DoNotOptimize(s.size());
        ++i;
    }
}
BENCHMARK(BM_SnprintfString);

void BM_FmtString(benchmark::State& state) {
    std::string s;
    int i = 0;
    for (auto _ : state) {
        s.clear();
        fmt::format_to(std::back_inserter(s), "{}: {} = {:x}", i, "name", unsigned(i) * 2654435761u);
        benchmark::DoNotOptimize(s.size());
        ++i;
    }
}
BENCHMARK(BM_FmtString);

constexpr int kListSize = 10000;

std::string Item(int i) {
    return "entry-" + std::to_string(i * 7919 % 100003);
}

// Every search looks for a different element, spread over the whole list.
int Probe(size_t step) {
    return int(step * 6007 % kListSize);
}

int32 Compare(ConstPStr a, ConstPStr b) {
    return PStrCmp(a, b);
}

void BM_CPStrSearch(benchmark::State& state) {
    CPStrList list;
    for (int i = 0; i < kListSize; ++i) list.Insert(PKSubString(Item(i).c_str()), -1);
    std::vector<Str255> probes(64);
    for (size_t k = 0; k < probes.size(); ++k) PKSubString(Item(Probe(k)).c_str()).CopyToPStr(probes[k]);
    size_t k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(CPStrSearch(list.Handle(), probes[k], Compare));
        k = (k + 1) & 63;
    }
}
BENCHMARK(BM_CPStrSearch);

void BM_VectorStringSearch(benchmark::State& state) {
    std::vector<std::string> list;
    for (int i = 0; i < kListSize; ++i) list.push_back(Item(i));
    std::vector<std::string> probes(64);
    for (size_t k = 0; k < probes.size(); ++k) probes[k] = Item(Probe(k));
    size_t k = 0;
    for (auto _ : state) {
        int found = -1;
        for (int i = 0; i < kListSize; ++i)
            if (list[size_t(i)] == probes[k]) {
                found = i;
                break;
            }
        benchmark::DoNotOptimize(found);
        k = (k + 1) & 63;
    }
}
BENCHMARK(BM_VectorStringSearch);

}  // namespace

BENCHMARK_MAIN();
