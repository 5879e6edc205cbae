// Stack capture against glibc's backtrace(), the peer a POSIX program would reach for; decoding one address
// against dladdr, which names only exported symbols.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <execinfo.h>

#include <memory>

#include "tqcore/diagnostics.h"

namespace {

__attribute__((noinline)) void Nest(int depth, benchmark::State& state, bool peer) {
    if (depth > 0) return Nest(depth - 1, state, peer), benchmark::ClobberMemory();
    for (auto _ : state) {
        if (peer) {
            void* frames[16];
            benchmark::DoNotOptimize(backtrace(frames, 16));
        } else {
            StackChainFS<16> chain;
            chain.Record(0);
            benchmark::DoNotOptimize(chain.Count());
        }
    }
}

void BM_StackChainRecord(benchmark::State& state) {
    Nest(20, state, false);
}
void BM_PeerBacktrace(benchmark::State& state) {
    Nest(20, state, true);
}

void BM_StackDecoderFrame(benchmark::State& state) {
    StackChainFS<16> chain;
    chain.Record(0);
    std::unique_ptr<StackDecoder> decoder(chain.FrameDecoder());
    char text[512];
    for (auto _ : state) {
        decoder->Rewind();
        benchmark::DoNotOptimize(decoder->NextFrame(text, sizeof text));
    }
}

void BM_PeerDladdr(benchmark::State& state) {
    StackChainFS<16> chain;
    chain.Record(0);
    Dl_info info;
    for (auto _ : state) benchmark::DoNotOptimize(dladdr(chain.Frame(0), &info));
}

}  // namespace

BENCHMARK(BM_StackChainRecord);
BENCHMARK(BM_PeerBacktrace);
BENCHMARK(BM_StackDecoderFrame);
BENCHMARK(BM_PeerDladdr);
BENCHMARK_MAIN();
