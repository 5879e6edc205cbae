// The library's mutex and reader/writer lock beside their standard-library peers, alone and with two
// threads taking the same lock.
#include <benchmark/benchmark.h>

#include <mutex>
#include <shared_mutex>
#include <thread>

#include "tqcore/threads.h"

namespace {

ThMutex SharedThMutex() {
    static ThMutex m = [] {
        ThMutex created = nullptr;
        ThMutexCreate(&created, "bench");
        return created;
    }();
    return m;
}

ThReaderWriterMutex SharedThRW() {
    static ThReaderWriterMutex rw = [] {
        ThReaderWriterMutex created = nullptr;
        ThReaderWriterMutexCreate(&created);
        return created;
    }();
    return rw;
}

std::mutex gStdMutex;
std::shared_mutex gStdShared;
long gProtected = 0;

void BM_ThMutexAcquireRelease(benchmark::State& state) {
    ThMutex m = SharedThMutex();
    for (auto _ : state) {
        ThMutexAcquire(m);
        benchmark::DoNotOptimize(++gProtected);
        ThMutexRelease(m);
    }
}

void BM_StdMutexLockUnlock(benchmark::State& state) {
    for (auto _ : state) {
        gStdMutex.lock();
        benchmark::DoNotOptimize(++gProtected);
        gStdMutex.unlock();
    }
}

void BM_ThReadLock(benchmark::State& state) {
    ThReaderWriterMutex rw = SharedThRW();
    for (auto _ : state) {
        ThReaderWriterMutexAcquireReadLock(rw);
        benchmark::DoNotOptimize(gProtected);
        ThReaderWriterMutexReleaseReadLock(rw);
    }
}

void BM_StdSharedMutexReadLock(benchmark::State& state) {
    for (auto _ : state) {
        gStdShared.lock_shared();
        benchmark::DoNotOptimize(gProtected);
        gStdShared.unlock_shared();
    }
}

}  // namespace

BENCHMARK(BM_ThMutexAcquireRelease);
BENCHMARK(BM_StdMutexLockUnlock);
BENCHMARK(BM_ThMutexAcquireRelease)->Threads(2)->UseRealTime();
BENCHMARK(BM_StdMutexLockUnlock)->Threads(2)->UseRealTime();
BENCHMARK(BM_ThReadLock);
BENCHMARK(BM_StdSharedMutexReadLock);
BENCHMARK(BM_ThReadLock)->Threads(2)->UseRealTime();
BENCHMARK(BM_StdSharedMutexReadLock)->Threads(2)->UseRealTime();

// glibc skips the atomic instructions of its mutexes while a process has only ever had one thread; a
// process that needs a lock has more, so one is started first to compare like with like.
int main(int argc, char** argv) {
    std::thread([] {}).join();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
