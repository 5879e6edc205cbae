// The formatting engine, number rendering and decimal scanning beside snprintf, {fmt}, to_chars, strtod and
// from_chars.
#define FMT_HEADER_ONLY
#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "tqcore/strings.h"

namespace {

std::vector<double> Doubles() {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> m(-1e6, 1e6);
    std::vector<double> v(4096);
    for (double& d : v) d = m(rng) * std::pow(10.0, int(rng() % 40) - 20);
    return v;
}

const std::vector<double> kDoubles = Doubles();

template <class F>
void Loop(benchmark::State& state, F f) {
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(f(i));
        i = (i + 1) & 4095;
    }
}

char gBuf[256];
uChar* Out() {
    return reinterpret_cast<uChar*>(gBuf);
}

// ----- the engine against snprintf and {fmt} -----
void Engine_d(benchmark::State& s) {
    Loop(s, [](size_t i) { return SPrintf(Out(), "%d", int32(i * 7919 - 99999)); });
}
void Snprintf_d(benchmark::State& s) {
    Loop(s, [](size_t i) { return std::snprintf(gBuf, sizeof gBuf, "%d", int(i * 7919 - 99999)); });
}
void Fmt_d(benchmark::State& s) {
    Loop(s, [](size_t i) { return fmt::format_to(gBuf, "{}", int(i * 7919 - 99999)) - gBuf; });
}
void Engine_x(benchmark::State& s) {
    Loop(s, [](size_t i) { return SPrintf(Out(), "%x", int32(i * 2654435761u)); });
}
void Snprintf_x(benchmark::State& s) {
    Loop(s, [](size_t i) { return std::snprintf(gBuf, sizeof gBuf, "%X", unsigned(i * 2654435761u)); });
}
void Fmt_x(benchmark::State& s) {
    Loop(s, [](size_t i) { return fmt::format_to(gBuf, "{:X}", unsigned(i * 2654435761u)) - gBuf; });
}
void Engine_f6(benchmark::State& s) {
    Loop(s, [](size_t i) { return SPrintf(Out(), "%.6f", kDoubles[i] * 1e-12); });
}
void Snprintf_f6(benchmark::State& s) {
    Loop(s, [](size_t i) { return std::snprintf(gBuf, sizeof gBuf, "%.6f", kDoubles[i] * 1e-12); });
}
void Fmt_f6(benchmark::State& s) {
    Loop(s, [](size_t i) { return fmt::format_to(gBuf, "{:.6f}", kDoubles[i] * 1e-12) - gBuf; });
}
void Engine_e17(benchmark::State& s) {
    Loop(s, [](size_t i) { return SPrintf(Out(), "%.16e", kDoubles[i]); });
}
void Snprintf_e17(benchmark::State& s) {
    Loop(s, [](size_t i) { return std::snprintf(gBuf, sizeof gBuf, "%.16e", kDoubles[i]); });
}
void Fmt_e17(benchmark::State& s) {
    Loop(s, [](size_t i) { return fmt::format_to(gBuf, "{:.16e}", kDoubles[i]) - gBuf; });
}
void Engine_mixed(benchmark::State& s) {
    Loop(s,
         [](size_t i) { return SPrintf(Out(), "item %5d of %s: %.3f\\n", int32(i), "total", kDoubles[i]); });
}
void Snprintf_mixed(benchmark::State& s) {
    Loop(s, [](size_t i) {
        return std::snprintf(gBuf, sizeof gBuf, "item %5d of %s: %.3f\r\n", int(i), "total", kDoubles[i]);
    });
}
void Fmt_mixed(benchmark::State& s) {
    Loop(s, [](size_t i) {
        return fmt::format_to(gBuf, "item {:5} of {}: {:.3f}\r\n", i, "total", kDoubles[i]) - gBuf;
    });
}
BENCHMARK(Engine_d);
BENCHMARK(Snprintf_d);
BENCHMARK(Fmt_d);
BENCHMARK(Engine_x);
BENCHMARK(Snprintf_x);
BENCHMARK(Fmt_x);
BENCHMARK(Engine_f6);
BENCHMARK(Snprintf_f6);
BENCHMARK(Fmt_f6);
BENCHMARK(Engine_e17);
BENCHMARK(Snprintf_e17);
BENCHMARK(Fmt_e17);
BENCHMARK(Engine_mixed);
BENCHMARK(Snprintf_mixed);
BENCHMARK(Fmt_mixed);

// ----- 17 significant digits -----
void NumToAnyString_17(benchmark::State& s) {
    const int16 code = 17;
    Loop(s, [&](size_t i) { return NumToAnyString(&kDoubles[i], 10, &code, Out(), 256, '.', nullptr); });
}
void Snprintf_17(benchmark::State& s) {
    Loop(s, [](size_t i) { return std::snprintf(gBuf, sizeof gBuf, "%.16e", kDoubles[i]); });
}
void ToChars_17(benchmark::State& s) {
    Loop(s, [](size_t i) {
        return std::to_chars(gBuf, gBuf + 256, kDoubles[i], std::chars_format::scientific, 16).ptr - gBuf;
    });
}
BENCHMARK(NumToAnyString_17);
BENCHMARK(Snprintf_17);
BENCHMARK(ToChars_17);

// ----- scanning decimal text -----
// Typical texts in turn: short general form, 17 significant digits in general and in scientific form, and
// two-decimal fixed text; the same strings for every scanner.
template <class Form>
std::vector<std::string> Texts(Form form) {
    std::vector<std::string> t;
    char b[64];
    for (size_t i = 0; i < kDoubles.size(); ++i) {
        form(b, sizeof b, i, kDoubles[i]);
        t.push_back(b);
    }
    return t;
}
const std::vector<std::string> kMixedTexts = Texts([](char* b, size_t n, size_t i, double d) {
    static const char* const kForms[] = {"%.6g", "%.17g", "%.16e"};
    if (i % 4 == 3)
        std::snprintf(b, n, "%.2f", std::fmod(d, 1e5));
    else
        std::snprintf(b, n, kForms[i % 4], d);
});
const std::vector<std::string> kLongTexts =
    Texts([](char* b, size_t n, size_t, double d) { std::snprintf(b, n, "%.16e", d); });

// What a caller gets from text through the library: the packed record. Its conversion to a double is
// internal and not measured here, so these figures leave out a step that strtod and from_chars include.
PackedDecimalReal ScanLibrary(const std::string& text) {
    PackedDecimalReal p;
    StringToPacked(reinterpret_cast<const uChar*>(text.data()), int32(text.size()), &p, '.');
    return p;
}
double ScanFromChars(const std::string& text) {
    double d = 0;
    std::from_chars(text.data(), text.data() + text.size(), d);
    return d;
}
void Scan_Library(benchmark::State& s) {
    Loop(s, [](size_t i) { return ScanLibrary(kMixedTexts[i]); });
}
void Scan_Strtod(benchmark::State& s) {
    Loop(s, [](size_t i) { return std::strtod(kMixedTexts[i].c_str(), nullptr); });
}
void Scan_FromChars(benchmark::State& s) {
    Loop(s, [](size_t i) { return ScanFromChars(kMixedTexts[i]); });
}
void Scan17_Library(benchmark::State& s) {
    Loop(s, [](size_t i) { return ScanLibrary(kLongTexts[i]); });
}
void Scan17_Strtod(benchmark::State& s) {
    Loop(s, [](size_t i) { return std::strtod(kLongTexts[i].c_str(), nullptr); });
}
void Scan17_FromChars(benchmark::State& s) {
    Loop(s, [](size_t i) { return ScanFromChars(kLongTexts[i]); });
}
BENCHMARK(Scan_Library);
BENCHMARK(Scan_Strtod);
BENCHMARK(Scan_FromChars);
BENCHMARK(Scan17_Library);
BENCHMARK(Scan17_Strtod);
BENCHMARK(Scan17_FromChars);

}  // namespace

BENCHMARK_MAIN();
