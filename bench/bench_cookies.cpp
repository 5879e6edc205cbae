// Cookie lookup in a jar of 100,000 live cookies against std::unordered_map::find.
#include <benchmark/benchmark.h>

#include <random>
#include <unordered_map>
#include <vector>

#include "tqcore/cookies.h"

namespace {

constexpr size_t kLive = 100000;

struct Fixture {
    MagicCookieJar jar = MCNewJar();
    std::vector<MagicCookie> cookies;
    std::unordered_map<uInt32, uInt64> map;
    std::vector<uInt32> order;  // lookup sequence, random over the live set

    Fixture() {
        for (uInt64 i = 0; i < kLive; ++i) {
            const MagicCookie c = MCNewCookie(jar, &i);
            cookies.push_back(c);
            map.emplace(c, i);
        }
        std::mt19937 gen(5);
        order.resize(1 << 16);
        for (auto& o : order) o = uInt32(gen() % kLive);
    }
};

Fixture& Shared() {
    static Fixture f;
    return f;
}

void BM_CookieLookup(benchmark::State& state) {
    Fixture& f = Shared();
    size_t i = 0;
    uInt64 sum = 0;
    for (auto _ : state) {
        uInt64 info;
        MCGetCookieInfo(f.jar, f.cookies[f.order[i++ & 0xFFFF]], &info);
        sum += info;
    }
    benchmark::DoNotOptimize(sum);
}

void BM_CookieInfoPtr(benchmark::State& state) {
    Fixture& f = Shared();
    size_t i = 0;
    uInt64 sum = 0;
    for (auto _ : state) {
        void* p;
        MCGetCookieInfoPtr(f.jar, f.cookies[f.order[i++ & 0xFFFF]], &p);
        sum += *static_cast<uInt64*>(p);
    }
    benchmark::DoNotOptimize(sum);
}

void BM_UnorderedMapFind(benchmark::State& state) {
    Fixture& f = Shared();
    size_t i = 0;
    uInt64 sum = 0;
    for (auto _ : state) {
        auto it = f.map.find(f.cookies[f.order[i++ & 0xFFFF]]);
        sum += it->second;
    }
    benchmark::DoNotOptimize(sum);
}

}  // namespace

BENCHMARK(BM_CookieLookup);
BENCHMARK(BM_CookieInfoPtr);
BENCHMARK(BM_UnorderedMapFind);
BENCHMARK_MAIN();
