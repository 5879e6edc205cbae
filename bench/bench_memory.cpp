// Handles against the C heap: create+dispose, growth by doubling, and two threads with the master-pointer
// pool on and off; the buffer cache against fresh handles; allocation tracking on and off. Guard bytes are
// chosen from the environment at the first allocation, as a user chooses them: run with PKGuardBytes=check
// for the checked figures.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "tqcore/core.h"
#include "tqcore/memory.h"

namespace {

void BM_MallocFree(benchmark::State& state) {
    const size_t n = size_t(state.range(0));
    for (auto _ : state) {
        void* p = std::malloc(n);
        benchmark::DoNotOptimize(p);
        std::free(p);
    }
}
BENCHMARK(BM_MallocFree)->Arg(16)->Arg(256)->Arg(4096);

void BM_HandleNewDispose(benchmark::State& state) {
    const uInt64 n = uInt64(state.range(0));
    for (auto _ : state) {
        UHandle h = DSNewHandle(n);
        benchmark::DoNotOptimize(h);
        DSDisposeHandle(h);
    }
}
BENCHMARK(BM_HandleNewDispose)->Arg(16)->Arg(256)->Arg(4096);

constexpr size_t kGrowFrom = 16;
constexpr size_t kGrowTo = 1 << 20;

void BM_ReallocDoubling(benchmark::State& state) {
    for (auto _ : state) {
        void* p = std::malloc(kGrowFrom);
        for (size_t n = kGrowFrom * 2; n <= kGrowTo; n *= 2) {
            p = std::realloc(p, n);
            benchmark::DoNotOptimize(p);
        }
        std::free(p);
    }
}
BENCHMARK(BM_ReallocDoubling);

void BM_HandleSizeDoubling(benchmark::State& state) {
    for (auto _ : state) {
        UHandle h = DSNewHandle(kGrowFrom);
        for (uInt64 n = kGrowFrom * 2; n <= kGrowTo; n *= 2) DSSetHandleSize(h, n);
        benchmark::DoNotOptimize(*h);
        DSDisposeHandle(h);
    }
}
BENCHMARK(BM_HandleSizeDoubling);

// Each thread keeps a window of handles so master pointers cycle through the free lists.
void TwoThreads(benchmark::State& state, bool pool) {
    if (state.thread_index() == 0) SetIsMasterPointerPoolEnabled(pool ? 1 : 0);
    std::vector<UHandle> window(64, nullptr);
    size_t i = 0;
    for (auto _ : state) {
        UHandle& slot = window[i++ % window.size()];
        DSDisposeHandle(slot);
        slot = DSNewHandle(32);
    }
    for (UHandle h : window) DSDisposeHandle(h);
    if (state.thread_index() == 0) SetIsMasterPointerPoolEnabled(0);
}

void BM_TwoThreadsPoolOff(benchmark::State& state) {
    TwoThreads(state, false);
}
BENCHMARK(BM_TwoThreadsPoolOff)->Threads(2)->UseRealTime();

void BM_TwoThreadsPoolOn(benchmark::State& state) {
    TwoThreads(state, true);
}
BENCHMARK(BM_TwoThreadsPoolOn)->Threads(2)->UseRealTime();

// The buffer cache lives while the memory manager runs.
void StartMemoryManager() {
    static const bool started = MemoryManagerService()->Init() == kErrNone;
    (void)started;
}

// A buffer of a size in the cache's range taken and given back, against a fresh handle each time.
void BM_CachedBuffer(benchmark::State& state) {
    StartMemoryManager();
    const uInt64 n = uInt64(state.range(0));
    for (auto _ : state) {
        UHandle h = DSNewHandleCache(n);
        benchmark::DoNotOptimize(** h = 1);
        DSDisposeHandleCache(h);
    }
}
BENCHMARK(BM_CachedBuffer)->Arg(20000)->Arg(40000);

void BM_FreshBuffer(benchmark::State& state) {
    StartMemoryManager();
    const uInt64 n = uInt64(state.range(0));
    for (auto _ : state) {
        UHandle h = DSNewHandle(n);
        benchmark::DoNotOptimize(** h = 1);
        DSDisposeHandle(h);
    }
}
BENCHMARK(BM_FreshBuffer)->Arg(20000)->Arg(40000);

// A million handles made and then disposed, with the allocation tracker recording each through the handle
// trace (as tqcore --leaks does) or without it.
constexpr int32 kTrackedRun = 1000000;
AllocTracker* gTracker = nullptr;

void TrackHandles(int32 event, TqErr, UHandle h, uInt64 size, uInt64) {
    if (event == kMemEventNewHandle)
        gTracker->Add(h, size, "bench", 0);
    else if (event == kMemEventDisposeHandle)
        gTracker->Remove(h);
}

void MillionHandles(benchmark::State& state, bool tracked) {
    std::vector<UHandle> handles(kTrackedRun);
    for (auto _ : state) {
        if (tracked) {
            gTracker = CreateAllocTracker();
            SetMemEventTraceProc(TrackHandles);
        }
        for (UHandle& h : handles) h = DSNewHandle(32);
        for (UHandle h : handles) DSDisposeHandle(h);
        if (tracked) {
            SetMemEventTraceProc(nullptr);
            DestroyAllocTracker(gTracker);
        }
    }
}

void BM_MillionHandlesTracked(benchmark::State& state) {
    MillionHandles(state, true);
}
BENCHMARK(BM_MillionHandlesTracked)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_MillionHandlesUntracked(benchmark::State& state) {
    MillionHandles(state, false);
}
BENCHMARK(BM_MillionHandlesUntracked)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
