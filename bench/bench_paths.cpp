// Paths against std::filesystem::path: building 100,000 paths of depth 8 from text, comparing them for
// equality and taking their parents. Interning makes equality and parent pointer work; the goal is at least
// 10x on those and building no slower than 1.5x. The ratios are printed after the runs. Creation and
// destruction are also timed apart, for scripts/bench.sh to hold the pooled element store against the simple
// one.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tqcore/core.h"
#include "tqcore/paths.h"

namespace {

constexpr size_t kPaths = 100000;

// Texts of a project tree listed in order, as a directory walk meets them: five users, ten work folders
// each, and so on down to folders of twenty files; every text is distinct in its last item.
const std::vector<std::string>& Texts() {
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> t;
        t.reserve(kPaths);
        for (size_t i = 0; i < kPaths; ++i) {
            const std::string s = "/home/user" + std::to_string(i / 20000) + "/work" +
                                  std::to_string(i / 2000 % 10) + "/dir" + std::to_string(i / 200 % 10) +
                                  "/sub" + std::to_string(i / 20 % 10) + "/src/lib/file" + std::to_string(i) +
                                  ".dat";
            t.push_back(s);
        }
        return t;
    }();
    return texts;
}

template <class P, class Make>
std::vector<P> Build(Make make) {
    std::vector<P> out;
    out.reserve(kPaths);
    for (const std::string& t : Texts()) out.push_back(make(t));
    return out;
}

PathRef MakeRef(const std::string& t) {
    return PathRef(t, PathRef::StringUnix());
}
std::filesystem::path MakeStd(const std::string& t) {
    return std::filesystem::path(t);
}

void Build_PathRef(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(Build<PathRef>(MakeRef).size());
    state.SetItemsProcessed(int64_t(state.iterations() * kPaths));
}
void Build_StdPath(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(Build<std::filesystem::path>(MakeStd).size());
    state.SetItemsProcessed(int64_t(state.iterations() * kPaths));
}

// Half the pairs are equal paths built separately, half are neighbours that differ in the last item.
template <class P, class Equal>
void Equality(benchmark::State& state, P (*make)(const std::string&), Equal equal) {
    const std::vector<P> a = Build<P>(make), b = Build<P>(make);
    for (auto _ : state) {
        size_t n = 0;
        for (size_t i = 0; i < kPaths; ++i) n += equal(a[i], b[(i + (i & 1)) % kPaths]);
        benchmark::DoNotOptimize(n);
    }
    state.SetItemsProcessed(int64_t(state.iterations() * kPaths));
}
void Equal_PathRef(benchmark::State& state) {
    Equality<PathRef>(state, MakeRef, [](const PathRef& x, const PathRef& y) { return x.Equals(y); });
}
void Equal_StdPath(benchmark::State& state) {
    Equality<std::filesystem::path>(
        state, MakeStd,
        [](const std::filesystem::path& x, const std::filesystem::path& y) { return x == y; });
}

template <class P, class Parent>
void Parents(benchmark::State& state, P (*make)(const std::string&), Parent parent) {
    const std::vector<P> paths = Build<P>(make);
    for (auto _ : state) {
        size_t n = 0;
        for (const P& p : paths) n += parent(p);
        benchmark::DoNotOptimize(n);
    }
    state.SetItemsProcessed(int64_t(state.iterations() * kPaths));
}
void Parent_PathRef(benchmark::State& state) {
    Parents<PathRef>(state, MakeRef,
                     [](const PathRef& p) { return size_t(p.GetParentDirectory().ItemCount()); });
}
void Parent_StdPath(benchmark::State& state) {
    Parents<std::filesystem::path>(
        state, MakeStd, [](const std::filesystem::path& p) { return size_t(!p.parent_path().empty()); });
}

// Creation and destruction apart, for the element store: every path's elements are made by its creation and
// returned by its destruction, as no other path holds them. Memory per element is the heap's growth over the
// tree's elements while the paths live.
size_t TreeElements() {
    std::set<std::string> prefixes;
    for (const std::string& t : Texts())
        for (size_t slash = t.find('/', 1); slash != std::string::npos; slash = t.find('/', slash + 1))
            prefixes.insert(t.substr(0, slash));
    return prefixes.size() + Texts().size();
}

size_t HeapInUse() {
    return mallinfo2().uordblks;
}

void Create_PathRef(benchmark::State& state) {
    static const size_t elements = TreeElements();
    double bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const size_t before = HeapInUse();
        state.ResumeTiming();
        std::vector<PathRef> paths = Build<PathRef>(MakeRef);
        state.PauseTiming();
        bytes = double(HeapInUse() - before) - double(paths.capacity() * sizeof(PathRef));
        paths = {};
        state.ResumeTiming();
    }
    state.counters["bytes_per_element"] = bytes / double(elements);
    state.SetItemsProcessed(int64_t(state.iterations() * kPaths));
}
void Destroy_PathRef(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<PathRef> paths = Build<PathRef>(MakeRef);
        state.ResumeTiming();
        paths = {};
    }
    state.SetItemsProcessed(int64_t(state.iterations() * kPaths));
}

BENCHMARK(Create_PathRef)->Unit(benchmark::kMillisecond);
BENCHMARK(Destroy_PathRef)->Unit(benchmark::kMillisecond);
BENCHMARK(Build_PathRef)->Unit(benchmark::kMillisecond);
BENCHMARK(Build_StdPath)->Unit(benchmark::kMillisecond);
BENCHMARK(Equal_PathRef)->Unit(benchmark::kMillisecond);
BENCHMARK(Equal_StdPath)->Unit(benchmark::kMillisecond);
BENCHMARK(Parent_PathRef)->Unit(benchmark::kMillisecond);
BENCHMARK(Parent_StdPath)->Unit(benchmark::kMillisecond);

// Keeps each run's time per iteration by name, to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) times[r.benchmark_name()] = r.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    if (PathRef::Init() != kErrNone) return 1;
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* op : {"Build", "Equal", "Parent"}) {
        const auto mine = reporter.times.find(std::string(op) + "_PathRef");
        const auto theirs = reporter.times.find(std::string(op) + "_StdPath");
        if (mine == reporter.times.end() || theirs == reporter.times.end() || mine->second <= 0) continue;
        std::printf("%-6s std::filesystem::path / PathRef = %.2f\n", op, theirs->second / mine->second);
    }
    benchmark::Shutdown();
    return 0;
}
