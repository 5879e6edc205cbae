// The typed writer and reader against a hand-written byte-swapping loop over a std::vector<uint8_t>, for
// 1,000,000 big-endian int32 and double values; and flattening and unflattening 100,000 paths. Measured
// through the shared library, as a host calls it. Prints each stream case's time as a ratio to the loop.
// The plain write pairs take a fresh block per pass (the loop's vector is cleared as well, the writer's
// handle is not); the Reused pairs write into memory allocated once, so only the conversion is timed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "tqcore/bindata.h"
#include "tqcore/core.h"
#include "tqcore/paths.h"

namespace {

constexpr size_t kCount = 1000000;
constexpr size_t kPaths = 100000;

const std::vector<uint32_t>& Ints() {
    static const std::vector<uint32_t> v = [] {
        std::vector<uint32_t> r(kCount);
        std::mt19937 gen(1);
        for (auto& x : r) x = gen();
        return r;
    }();
    return v;
}

const std::vector<double>& Doubles() {
    static const std::vector<double> v = [] {
        std::vector<double> r(kCount);
        std::mt19937_64 gen(2);
        std::uniform_real_distribution<double> d(-1e6, 1e6);
        for (auto& x : r) x = d(gen);
        return r;
    }();
    return v;
}

// ---- The hand-written loops.
template <class T>
void StoreBig(uint8_t* p, T v) {
    uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof v);
    for (size_t i = 0; i < sizeof v; ++i) p[i] = uint8_t(bits >> (8 * (sizeof v - 1 - i)));
}

template <class T>
T LoadBig(const uint8_t* p) {
    uint64_t bits = 0;
    for (size_t i = 0; i < sizeof(T); ++i) bits = bits << 8 | p[i];
    T v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

template <class T>
std::vector<uint8_t> LoopWrite(const std::vector<T>& values) {
    std::vector<uint8_t> out(values.size() * sizeof(T));
    for (size_t i = 0; i < values.size(); ++i) StoreBig(out.data() + i * sizeof(T), values[i]);
    return out;
}

template <class T>
void BM_LoopWrite(benchmark::State& state, const std::vector<T>& values) {
    for (auto _ : state) {
        std::vector<uint8_t> out = LoopWrite(values);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(values.size()));
}

// Into memory allocated once, as a host that reuses its buffer would; the writer then works over a
// StaticOutputBuf on the same kind of memory. Neither side allocates or clears anything while timed.
template <class T>
void BM_LoopWriteReused(benchmark::State& state, const std::vector<T>& values) {
    std::vector<uint8_t> out(values.size() * sizeof(T));
    for (auto _ : state) {
        for (size_t i = 0; i < values.size(); ++i) StoreBig(out.data() + i * sizeof(T), values[i]);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(values.size()));
}

template <class T>
void BM_LoopRead(benchmark::State& state, const std::vector<T>& values) {
    const std::vector<uint8_t> bytes = LoopWrite(values);
    for (auto _ : state) {
        T sum = 0;
        for (size_t i = 0; i < values.size(); ++i) sum += LoadBig<T>(bytes.data() + i * sizeof(T));
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(values.size()));
}

// ---- The library.
uInt32 Write(BinDataWriter& w, uint32_t v) {
    return w.WriteU32(v);
}
uInt32 Write(BinDataWriter& w, double v) {
    return w.WriteF64(v);
}
uint32_t Read(BinDataReader& r, uint32_t) {
    return r.ReadU32();
}
double Read(BinDataReader& r, double) {
    return r.ReadF64();
}

template <class T>
void BM_WriterWrite(benchmark::State& state, const std::vector<T>& values) {
    for (auto _ : state) {
        HandleOutputBuf out(values.size() * sizeof(T));
        BinDataWriter w(&out, BigEndianizer());
        for (const T v : values) Write(w, v);
        if (w.GetError() != 0) state.SkipWithError("write failed");
        benchmark::DoNotOptimize(out.GetBytesWritten());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(values.size()));
}

template <class T>
void BM_WriterWriteReused(benchmark::State& state, const std::vector<T>& values) {
    std::vector<uint8_t> memory(values.size() * sizeof(T));
    for (auto _ : state) {
        StaticOutputBuf out(memory.data(), memory.size());
        BinDataWriter w(&out, BigEndianizer());
        for (const T v : values) Write(w, v);
        if (w.GetError() != 0) state.SkipWithError("write failed");
        benchmark::DoNotOptimize(memory.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(values.size()));
}

template <class T>
void BM_ReaderRead(benchmark::State& state, const std::vector<T>& values) {
    const std::vector<uint8_t> bytes = LoopWrite(values);
    for (auto _ : state) {
        MemInputBuf in(bytes.data(), bytes.size());
        BinDataReader r(&in, BigEndianizer());
        T sum = 0;
        for (size_t i = 0; i < values.size(); ++i) sum += Read(r, T());
        if (r.GetError() != 0) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(values.size()));
}

// ---- Flattened paths: 100,000 distinct paths of depth 8.
const std::vector<PathRef>& Paths() {
    static const std::vector<PathRef> v = [] {
        std::vector<PathRef> r;
        r.reserve(kPaths);
        std::mt19937 gen(4);
        for (size_t i = 0; i < kPaths; ++i) {
            PathRef p(i % 4 == 0 ? kBaseRelative : kBaseAbsolute);
            for (int depth = 0; depth < 7; ++depth) p.Append("folder" + std::to_string(gen() % 40));
            p.Append("file" + std::to_string(i) + ".dat");
            r.push_back(p);
        }
        return r;
    }();
    return v;
}

void BM_FlattenPaths(benchmark::State& state) {
    const auto& paths = Paths();
    for (auto _ : state) {
        HandleOutputBuf out(kPaths * 96);
        for (const PathRef& p : paths) FFlattenPath2(&p, &out, BigEndianizer());
        benchmark::DoNotOptimize(out.GetBytesWritten());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kPaths));
}

void BM_UnflattenPaths(benchmark::State& state) {
    HandleOutputBuf out(kPaths * 96);
    for (const PathRef& p : Paths()) FFlattenPath2(&p, &out, BigEndianizer());
    const size_t size = out.GetBytesWritten();
    UHandle h = out.GetHandle(0);
    for (auto _ : state) {
        MemInputBuf in(*h, size);
        for (size_t i = 0; i < kPaths; ++i) {
            PathRef* p = nullptr;
            if (FUnFlattenPath2(&in, &p, BigEndianizer()) != 0) state.SkipWithError("unflatten failed");
            delete p;
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kPaths));
}

void BM_LoopWrite_Int32(benchmark::State& s) {
    BM_LoopWrite(s, Ints());
}
void BM_WriterWrite_Int32(benchmark::State& s) {
    BM_WriterWrite(s, Ints());
}
void BM_LoopWriteReused_Int32(benchmark::State& s) {
    BM_LoopWriteReused(s, Ints());
}
void BM_WriterWriteReused_Int32(benchmark::State& s) {
    BM_WriterWriteReused(s, Ints());
}
void BM_LoopWriteReused_Double(benchmark::State& s) {
    BM_LoopWriteReused(s, Doubles());
}
void BM_WriterWriteReused_Double(benchmark::State& s) {
    BM_WriterWriteReused(s, Doubles());
}
void BM_LoopRead_Int32(benchmark::State& s) {
    BM_LoopRead(s, Ints());
}
void BM_ReaderRead_Int32(benchmark::State& s) {
    BM_ReaderRead(s, Ints());
}
void BM_LoopWrite_Double(benchmark::State& s) {
    BM_LoopWrite(s, Doubles());
}
void BM_WriterWrite_Double(benchmark::State& s) {
    BM_WriterWrite(s, Doubles());
}
void BM_LoopRead_Double(benchmark::State& s) {
    BM_LoopRead(s, Doubles());
}
void BM_ReaderRead_Double(benchmark::State& s) {
    BM_ReaderRead(s, Doubles());
}

// Keeps each run's processor time per iteration (in ns: the machine may be shared, so wall time says less) so
// the ratios can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                nsPerIteration[run.benchmark_name()] =
                    run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e9;
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatios() const {
        const char* const cases[][2] = {
            {"BM_WriterWrite_Int32", "BM_LoopWrite_Int32"},
            {"BM_ReaderRead_Int32", "BM_LoopRead_Int32"},
            {"BM_WriterWrite_Double", "BM_LoopWrite_Double"},
            {"BM_ReaderRead_Double", "BM_LoopRead_Double"},
            {"BM_WriterWriteReused_Int32", "BM_LoopWriteReused_Int32"},
            {"BM_WriterWriteReused_Double", "BM_LoopWriteReused_Double"},
        };
        for (const auto& c : cases) {
            const auto a = nsPerIteration.find(c[0]), b = nsPerIteration.find(c[1]);
            if (a != nsPerIteration.end() && b != nsPerIteration.end() && b->second > 0)
                std::printf("ratio %s / %s = %.2f (goal <= 1.5)\n", c[0], c[1], a->second / b->second);
        }
        for (const char* name : {"BM_FlattenPaths", "BM_UnflattenPaths"}) {
            const auto it = nsPerIteration.find(name);
            if (it != nsPerIteration.end())
                std::printf("%s: %.0f ns per path\n", name, it->second / double(kPaths));
        }
    }

  private:
    std::map<std::string, double> nsPerIteration;
};

}  // namespace

BENCHMARK(BM_LoopWrite_Int32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriterWrite_Int32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoopRead_Int32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReaderRead_Int32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoopWrite_Double)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriterWrite_Double)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoopRead_Double)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReaderRead_Double)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoopWriteReused_Int32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriterWriteReused_Int32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoopWriteReused_Double)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriterWriteReused_Double)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlattenPaths)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnflattenPaths)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (PathRef::Init() != kErrNone) return 1;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
