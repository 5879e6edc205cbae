// String families against their standard peers: comparisons, appends and UTF-8 round trips.
#include <benchmark/benchmark.h>
#include <iconv.h>
#include <strings.h>

#include <cstring>
#include <string>
#include <vector>

#include "tqcore/core.h"
#include "tqcore/memory.h"
#include "tqcore/strings.h"

namespace {

// A long string in a handle, disposed at the end of the benchmark.
struct Held {
    LStrHandle h = nullptr;
    explicit Held(const std::string& s) { LStrFromPtr(&h, int32(s.size()), s.data()); }
    ~Held() { DSDisposeHandle(reinterpret_cast<UHandle>(h)); }
};

std::string Sentence(size_t n, bool upper) {
    static const char kWords[] = "the quick brown fox jumps over the lazy dog ";
    std::string s;
    while (s.size() < n) s += kWords;
    s.resize(n);
    if (upper)
        for (char& c : s) c = char(toupper(uChar(c)));
    return s;
}

constexpr size_t kCompareLength = 256;

void BM_LStrCmp(benchmark::State& state) {
    const std::string a = Sentence(kCompareLength, false);
    std::string b = a;
    b.back() = 'X';
    Held ha(a), hb(b);
    for (auto _ : state) benchmark::DoNotOptimize(LStrCmp(*ha.h, *hb.h));
}
BENCHMARK(BM_LStrCmp);

void BM_StdStringCompare(benchmark::State& state) {
    const std::string a = Sentence(kCompareLength, false);
    std::string b = a;
    b.back() = 'X';
    for (auto _ : state) benchmark::DoNotOptimize(a.compare(b));
}
BENCHMARK(BM_StdStringCompare);

void BM_LStrCaseCmp(benchmark::State& state) {
    const std::string a = Sentence(kCompareLength, false);
    const std::string b = Sentence(kCompareLength, true);
    Held ha(a), hb(b);
    for (auto _ : state) benchmark::DoNotOptimize(LStrCaseCmp(*ha.h, *hb.h));
}
BENCHMARK(BM_LStrCaseCmp);

void BM_Strcasecmp(benchmark::State& state) {
    const std::string a = Sentence(kCompareLength, false);
    const std::string b = Sentence(kCompareLength, true);
    for (auto _ : state) benchmark::DoNotOptimize(strcasecmp(a.c_str(), b.c_str()));
}
BENCHMARK(BM_Strcasecmp);

// Short strings as callers mostly have them: 64 bytes differing near the end, and 64 letters that differ in
// case at every byte.
constexpr size_t kShort = 64;

std::string Letters(size_t n, bool flip) {
    std::string s(n, 'a');
    for (size_t i = 0; i < n; ++i) {
        const char c = char('a' + i % 26);
        s[i] = (i % 2 == 0) != flip ? c : char(c - 'a' + 'A');
    }
    return s;
}

void BM_LStrCmp64(benchmark::State& state) {
    const std::string a = Sentence(kShort, false);
    std::string b = a;
    b[60] = 'X';
    Held ha(a), hb(b);
    for (auto _ : state) benchmark::DoNotOptimize(LStrCmp(*ha.h, *hb.h));
}
BENCHMARK(BM_LStrCmp64);

void BM_StdStringCompare64(benchmark::State& state) {
    const std::string a = Sentence(kShort, false);
    std::string b = a;
    b[60] = 'X';
    for (auto _ : state) benchmark::DoNotOptimize(a.compare(b));
}
BENCHMARK(BM_StdStringCompare64);

void BM_LStrCaseCmp64(benchmark::State& state) {
    Held ha(Letters(kShort, false)), hb(Letters(kShort, true));
    for (auto _ : state) benchmark::DoNotOptimize(LStrCaseCmp(*ha.h, *hb.h));
}
BENCHMARK(BM_LStrCaseCmp64);

void BM_Strcasecmp64(benchmark::State& state) {
    const std::string a = Letters(kShort, false), b = Letters(kShort, true);
    for (auto _ : state) benchmark::DoNotOptimize(strcasecmp(a.c_str(), b.c_str()));
}
BENCHMARK(BM_Strcasecmp64);

// One string grown by many small appends, as a log or a report is built.
constexpr int kSmallAppends = 100000;

void BM_LStrCatEfficient8(benchmark::State& state) {
    Held piece("8 bytes!");
    for (auto _ : state) {
        Held h("x");
        for (int i = 0; i < kSmallAppends; ++i) LStrCatEfficient(h.h, *piece.h);
        benchmark::DoNotOptimize((*h.h)->cnt);
    }
}
BENCHMARK(BM_LStrCatEfficient8)->Unit(benchmark::kMicrosecond);

void BM_StdStringAppend8(benchmark::State& state) {
    const std::string piece = "8 bytes!";
    for (auto _ : state) {
        std::string s = "x";
        for (int i = 0; i < kSmallAppends; ++i) s.append(piece);
        benchmark::DoNotOptimize(s.size());
    }
}
BENCHMARK(BM_StdStringAppend8)->Unit(benchmark::kMicrosecond);

constexpr int kAppends = 1000000;
const char* const kPieces[] = {"alpha", "be", "gamma-ray", "d", "epsilon", "zeta!", "eta", "theta12"};

void BM_LStrAppendCStr(benchmark::State& state) {
    for (auto _ : state) {
        LStrHandle h = nullptr;
        for (int i = 0; i < kAppends; ++i) LStrAppendCStr(&h, kPieces[i & 7]);
        benchmark::DoNotOptimize((*h)->cnt);
        DSDisposeHandle(reinterpret_cast<UHandle>(h));
    }
}
BENCHMARK(BM_LStrAppendCStr)->Unit(benchmark::kMillisecond);

void BM_LStrCatEfficient(benchmark::State& state) {
    std::vector<Held> pieces;
    pieces.reserve(8);
    for (const char* p : kPieces) pieces.emplace_back(p);
    for (auto _ : state) {
        Held h("");
        LStrFromPtr(&h.h, 1, "x");
        for (int i = 0; i < kAppends; ++i) LStrCatEfficient(h.h, *pieces[size_t(i & 7)].h);
        benchmark::DoNotOptimize((*h.h)->cnt);
    }
}
BENCHMARK(BM_LStrCatEfficient)->Unit(benchmark::kMillisecond);

// Each call trims the block back to 4 + count, so every call resizes twice.
void BM_LStrCat(benchmark::State& state) {
    std::vector<Held> pieces;
    pieces.reserve(8);
    for (const char* p : kPieces) pieces.emplace_back(p);
    for (auto _ : state) {
        Held h("x");
        for (int i = 0; i < kAppends; ++i) LStrCat(h.h, *pieces[size_t(i & 7)].h);
        benchmark::DoNotOptimize((*h.h)->cnt);
    }
}
BENCHMARK(BM_LStrCat)->Unit(benchmark::kMillisecond);

void BM_StdStringAppend(benchmark::State& state) {
    for (auto _ : state) {
        std::string s = "x";
        for (int i = 0; i < kAppends; ++i) s.append(kPieces[i & 7]);
        benchmark::DoNotOptimize(s.size());
    }
}
BENCHMARK(BM_StdStringAppend)->Unit(benchmark::kMillisecond);

std::string MixedText() {
    // ASCII words with accented Latin, Greek, CJK and an emoji, about 1 MiB.
    const std::string unit =
        "plain words caf\xC3\xA9 \xCE\xB1\xCE\xB2\xCE\xB3 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80 end\n";
    std::string s;
    while (s.size() < (1u << 20)) s += unit;
    return s;
}

void BM_Utf8RoundTrip(benchmark::State& state) {
    const std::string text = MixedText();
    for (auto _ : state) {
        const TQWString wide = StringUtils::ToWideString(text, StringUtils::kInputUtf8);
        const std::string back = StringUtils::ToUTF8String(wide);
        if (back.size() != text.size()) state.SkipWithError("round trip changed the text");
        benchmark::DoNotOptimize(back.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_Utf8RoundTrip)->Unit(benchmark::kMillisecond);

std::string Iconv(iconv_t cd, const std::string& in, size_t outSize) {
    std::string out(outSize, '\0');
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    char* dst = out.data();
    size_t room = out.size();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    iconv(cd, &src, &left, &dst, &room);
    out.resize(out.size() - room);
    return out;
}

void BM_IconvRoundTrip(benchmark::State& state) {
    const std::string text = MixedText();
    iconv_t toWide = iconv_open("UTF-16LE", "UTF-8");
    iconv_t toUtf8 = iconv_open("UTF-8", "UTF-16LE");
    for (auto _ : state) {
        const std::string wide = Iconv(toWide, text, text.size() * 2);
        const std::string back = Iconv(toUtf8, wide, wide.size() * 2);
        if (back.size() != text.size()) state.SkipWithError("round trip changed the text");
        benchmark::DoNotOptimize(back.data());
    }
    iconv_close(toWide);
    iconv_close(toUtf8);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_IconvRoundTrip)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
