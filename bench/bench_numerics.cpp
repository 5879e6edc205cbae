// Extended elementary functions against the C library's long double functions, and the double operation
// families against the plain operators they stand for.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "tqcore/numerics.h"

namespace {

constexpr int kN = 1024;

std::vector<long double> Args(long double lo, long double hi) {
    std::vector<long double> v(kN);
    unsigned long long s = 12345;
    for (auto& x : v) {
        s = s * 6364136223846793005ull + 1442695040888963407ull;
        x = lo + (hi - lo) * (long double)(s >> 11) / (long double)(1ull << 53);
    }
    return v;
}

template <class Fn>
void RunExt(benchmark::State& state, long double lo, long double hi, Fn fn) {
    const auto xs = Args(lo, hi);
    for (auto _ : state) {
        long double acc = 0;
        for (long double x : xs) acc += fn(x);
        benchmark::DoNotOptimize(acc);
    }
    state.SetItemsProcessed(state.iterations() * kN);
}

void BM_ExpX(benchmark::State& s) {
    RunExt(s, -100, 100, [](long double x) { return ExpX(x); });
}
void BM_expl(benchmark::State& s) {
    RunExt(s, -100, 100, [](long double x) { return expl(x); });
}
void BM_LogN(benchmark::State& s) {
    RunExt(s, 1e-5L, 1e5L, [](long double x) { return LogN(x); });
}
void BM_logl(benchmark::State& s) {
    RunExt(s, 1e-5L, 1e5L, [](long double x) { return logl(x); });
}
void BM_PowerX(benchmark::State& s) {
    RunExt(s, 0.5L, 50, [](long double x) { return PowerX(x, 7.3L - x / 8); });
}
void BM_powl(benchmark::State& s) {
    RunExt(s, 0.5L, 50, [](long double x) { return powl(x, 7.3L - x / 8); });
}
void BM_SinX(benchmark::State& s) {
    RunExt(s, -100, 100, [](long double x) { return SinX(x); });
}
void BM_sinl(benchmark::State& s) {
    RunExt(s, -100, 100, [](long double x) { return sinl(x); });
}
BENCHMARK(BM_ExpX);
BENCHMARK(BM_expl);
BENCHMARK(BM_LogN);
BENCHMARK(BM_logl);
BENCHMARK(BM_PowerX);
BENCHMARK(BM_powl);
BENCHMARK(BM_SinX);
BENCHMARK(BM_sinl);

// One operation per element, operands read from and the result written to memory in both forms, so the
// plain loop is not turned into vector code the called form can never match. Predicates store their int32
// result, as their contract gives it.
template <class R = double, class Op>
void RunDouble(benchmark::State& state, Op op) {
    std::vector<double> a(kN), b(kN);
    std::vector<R> r(kN);
    for (int i = 0; i < kN; ++i) a[i] = 1.5 + i * 0.25, b[i] = 0.75 + i * 0.125;
    for (auto _ : state) {
        for (int i = 0; i < kN; ++i) {
            op(&a[i], &b[i], &r[i]);
            benchmark::ClobberMemory();
        }
    }
    benchmark::DoNotOptimize(r.data());
    state.SetItemsProcessed(state.iterations() * kN);
}

// The same operators behind an out-of-line call: what any called form costs at the least.
__attribute__((noinline)) void CalledAdd(const double* a, const double* b, double* r) {
    *r = *a + *b;
}
__attribute__((noinline)) void CalledMul(const double* a, const double* b, double* r) {
    *r = *a * *b;
}
__attribute__((noinline)) int32 CalledLT(const double* a, const double* b) {
    return *a < *b;
}

void BM_CalledAdd(benchmark::State& s) {
    RunDouble(s, CalledAdd);
}
void BM_CalledMul(benchmark::State& s) {
    RunDouble(s, CalledMul);
}
void BM_CalledLT(benchmark::State& s) {
    RunDouble<int32>(s, [](const double* a, const double* b, int32* r) { *r = CalledLT(a, b); });
}
// The exported symbol reached through its address, as a caller that binds by name reaches it.
void (*volatile gAddByName)(const double*, const double*, double*) = RTfAddD;
void BM_RTfAddDByName(benchmark::State& s) {
    auto* add = gAddByName;
    RunDouble(s, add);
}
BENCHMARK(BM_CalledAdd);
BENCHMARK(BM_RTfAddDByName);
BENCHMARK(BM_CalledMul);
BENCHMARK(BM_CalledLT);

void BM_RTfAddD(benchmark::State& s) {
    RunDouble(s, [](const double* a, const double* b, double* r) { RTfAddD(a, b, r); });
}
void BM_PlainAdd(benchmark::State& s) {
    RunDouble(s, [](const double* a, const double* b, double* r) { *r = *a + *b; });
}
void BM_RTfMulD(benchmark::State& s) {
    RunDouble(s, [](const double* a, const double* b, double* r) { RTfMulD(a, b, r); });
}
void BM_PlainMul(benchmark::State& s) {
    RunDouble(s, [](const double* a, const double* b, double* r) { *r = *a * *b; });
}
void BM_RTfDivD(benchmark::State& s) {
    RunDouble(s, [](const double* a, const double* b, double* r) { RTfDivD(a, b, r); });
}
void BM_PlainDiv(benchmark::State& s) {
    RunDouble(s, [](const double* a, const double* b, double* r) { *r = *a / *b; });
}
void BM_RTfSqrtD(benchmark::State& s) {
    RunDouble(s, [](const double* a, const double*, double* r) { RTfSqrtD(a, r); });
}
void BM_PlainSqrt(benchmark::State& s) {
    RunDouble(s, [](const double* a, const double*, double* r) { *r = std::sqrt(*a); });
}
void BM_RTfSinD(benchmark::State& s) {
    RunDouble(s, [](const double* a, const double*, double* r) { RTfSinD(a, r); });
}
void BM_PlainSin(benchmark::State& s) {
    RunDouble(s, [](const double* a, const double*, double* r) { *r = std::sin(*a); });
}
void BM_RTfLTD(benchmark::State& s) {
    RunDouble<int32>(s, [](const double* a, const double* b, int32* r) { *r = RTfLTD(a, b); });
}
void BM_PlainLT(benchmark::State& s) {
    RunDouble<int32>(s, [](const double* a, const double* b, int32* r) { *r = *a < *b; });
}
BENCHMARK(BM_RTfAddD);
BENCHMARK(BM_PlainAdd);
BENCHMARK(BM_RTfMulD);
BENCHMARK(BM_PlainMul);
BENCHMARK(BM_RTfDivD);
BENCHMARK(BM_PlainDiv);
BENCHMARK(BM_RTfSqrtD);
BENCHMARK(BM_PlainSqrt);
BENCHMARK(BM_RTfSinD);
BENCHMARK(BM_PlainSin);
BENCHMARK(BM_RTfLTD);
BENCHMARK(BM_PlainLT);

}  // namespace

BENCHMARK_MAIN();
