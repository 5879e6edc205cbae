// The event queue and occurrences beside their standard-library peers: a million events from one producer
// to one consumer, fire-to-callback latency across threads against a condition variable's notify-to-wake,
// and interrupt-safe firing from four threads.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "tqcore/core.h"
#include "tqcore/threads.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kEvents = 1000000;
constexpr int kLatencySamples = 2000;

// One event posted over and over: the figures are the queues', not an allocator's.
class BenchEvent final : public TQEvent {
  public:
    int32 AddRef() override { return 1; }
    int32 Release() override { return 1; }
    void WriteToDebugStream(DebugStream&) const override {}
    int32 Kind() const override { return 1; }
    bool Matches(const TQEvent*) const override { return false; }
};

class CountingTarget final : public TQEventTargetBase {
  public:
    ~CountingTarget() override = default;
    int32 HandleEvent(TQEvent*, void*) override {
        ++handled;
        return kTQEventHandled;
    }
    long handled = 0;
};

void BM_TQEventQueue_OneProducerOneConsumer(benchmark::State& state) {
    BenchEvent event;
    for (auto _ : state) {
        TQEventQueue* queue = CreateTQEventQueue(nullptr, 0);
        queue->Init();
        ThEvent posted = nullptr;
        ThEventCreate(&posted, 0, 0);
        CountingTarget target;
        std::thread producer([&] {
            for (int i = 0; i < kEvents; ++i) {
                queue->Post(&target, &event, true, nullptr);
                ThEventSignal(posted);
            }
        });
        long done = 0;
        while (done < kEvents) {
            const int32 n = queue->Process(0, nullptr, 0);
            done += n;
            if (n == 0) ThEventWait(posted);
        }
        producer.join();
        benchmark::DoNotOptimize(target.handled);
        queue->Uninit();
        queue->Destroy();
        ThEventDestroy(posted);
    }
    state.SetItemsProcessed(state.iterations() * kEvents);
}

void BM_StdDequeMutexCV_OneProducerOneConsumer(benchmark::State& state) {
    BenchEvent event;
    for (auto _ : state) {
        std::mutex mutex;
        std::condition_variable cv;
        std::deque<std::pair<TQEventTarget*, TQEvent*>> queue;
        CountingTarget target;
        std::thread producer([&] {
            for (int i = 0; i < kEvents; ++i) {
                {
                    std::lock_guard lock(mutex);
                    queue.emplace_back(&target, &event);
                }
                cv.notify_one();
            }
        });
        long done = 0;
        std::deque<std::pair<TQEventTarget*, TQEvent*>> batch;
        while (done < kEvents) {
            {
                std::unique_lock lock(mutex);
                cv.wait(lock, [&] { return !queue.empty(); });
                batch.swap(queue);
            }
            for (auto& [t, e] : batch) {
                t->HandleEvent(e, nullptr);
                e->Release();
            }
            done += long(batch.size());
            batch.clear();
        }
        producer.join();
        benchmark::DoNotOptimize(target.handled);
    }
    state.SetItemsProcessed(state.iterations() * kEvents);
}

// The same million in one thread, posted and then processed: the queues alone, without any waking.
void BM_TQEventQueue_PostThenProcess(benchmark::State& state) {
    BenchEvent event;
    CountingTarget target;
    TQEventQueue* queue = CreateTQEventQueue(nullptr, 0);
    queue->Init();
    for (auto _ : state) {
        for (int i = 0; i < kEvents; ++i) queue->Post(&target, &event, true, nullptr);
        benchmark::DoNotOptimize(queue->Process(0, nullptr, 0));
    }
    queue->Uninit();
    queue->Destroy();
    state.SetItemsProcessed(state.iterations() * kEvents);
}

void BM_StdDequeMutex_PostThenProcess(benchmark::State& state) {
    BenchEvent event;
    CountingTarget target;
    std::mutex mutex;
    std::deque<std::pair<TQEventTarget*, TQEvent*>> queue;
    for (auto _ : state) {
        for (int i = 0; i < kEvents; ++i) {
            std::lock_guard lock(mutex);
            queue.emplace_back(&target, &event);
        }
        std::lock_guard lock(mutex);
        for (auto& [t, e] : queue) {
            t->HandleEvent(e, nullptr);
            e->Release();
        }
        queue.clear();
    }
    benchmark::DoNotOptimize(target.handled);
    state.SetItemsProcessed(state.iterations() * kEvents);
}

// ---- Latency

void StartOccurrences() {
    static const bool started = [] {
        // The thread service is an application-support service: start the library as an application does.
        if (InitTQCoreBase() != kErrNone || InitTQCoreAppSupport() != kErrNone) return false;
        AssimilateStartUpThread();
        HardWaitBehaviorService()->Init();
        OccurrenceManagerService()->Init();
        return true;
    }();
    benchmark::DoNotOptimize(started);
}

void Percentiles(benchmark::State& state, std::vector<double>& us) {
    std::sort(us.begin(), us.end());
    state.counters["median_us"] = us[us.size() / 2];
    state.counters["p99_us"] = us[us.size() * 99 / 100];
}

struct Waiter {
    Occurrence occ = 0;
    uInt32 group = 0;
    ThEvent woken = nullptr;
    std::atomic<bool> armed{false};
    std::atomic<bool> arrived{false};
    std::atomic<bool> stop{false};
    Clock::time_point called;
};

void CallbackArrived(void* arg) {
    auto* w = static_cast<Waiter*>(arg);
    w->called = Clock::now();
    w->arrived.store(true);
}

void WakeGroup(void* param) {
    ThEventSignal(static_cast<ThEvent>(param));
}

int32 WaiterMain(void* arg) {
    auto* w = static_cast<Waiter*>(arg);
    SetOccThreadGroup(ThThreadGetIndex(nullptr), w->group);
    const OccurHdlr h = AllocOccurHdlr(w->occ, CallbackArrived, w);
    for (;;) {
        OnOccurrence(h, 1);
        w->armed.store(true);
        ThEventWait(w->woken);
        if (w->stop.load()) break;
        ChkOccurrences();
    }
    DeallocOccurHdlr(h);
    return 0;
}

// Each sample: the waiter blocks, the occurrence fires here, the callback runs in the waiter's thread.
void BM_OccurrenceFireToCallback(benchmark::State& state) {
    StartOccurrences();
    Waiter w;
    w.occ = AllocOccur();
    w.group = GetOccNewThreadGroupIndex();
    ThEventCreate(&w.woken, 0, 0);
    SetOccThreadGroupProc(w.group, WakeGroup, w.woken);
    ThThread th = nullptr;
    ThThreadCreate(&th, WaiterMain, &w, "latency");
    std::vector<double> us;
    for (auto _ : state) {
        for (int i = 0; i < kLatencySamples; ++i) {
            while (!w.armed.load()) std::this_thread::yield();
            w.armed.store(false);
            std::this_thread::sleep_for(std::chrono::microseconds(50));
            const auto fired = Clock::now();
            Occur(w.occ);
            while (!w.arrived.load()) std::this_thread::yield();
            w.arrived.store(false);
            us.push_back(std::chrono::duration<double, std::micro>(w.called - fired).count());
        }
    }
    w.stop.store(true);
    ThEventSignal(w.woken);
    ThThreadDestroy(th);
    SetOccThreadGroupProc(w.group, nullptr, nullptr);
    ThEventDestroy(w.woken);
    DeallocOccur(w.occ);
    Percentiles(state, us);
}

void BM_ConditionVariableNotifyToWake(benchmark::State& state) {
    std::mutex mutex;
    std::condition_variable cv;
    bool signalled = false;
    bool stop = false;
    std::atomic<bool> waiting{false};
    std::atomic<bool> woke{false};
    Clock::time_point wokeAt;
    std::thread waiter([&] {
        std::unique_lock lock(mutex);
        for (;;) {
            waiting.store(true);
            cv.wait(lock, [&] { return signalled || stop; });
            if (stop) break;
            signalled = false;
            wokeAt = Clock::now();
            woke.store(true);
        }
    });
    std::vector<double> us;
    for (auto _ : state) {
        for (int i = 0; i < kLatencySamples; ++i) {
            while (!waiting.load()) std::this_thread::yield();
            std::this_thread::sleep_for(std::chrono::microseconds(50));
            waiting.store(false);
            Clock::time_point notified;
            {
                std::lock_guard lock(mutex);
                signalled = true;
                notified = Clock::now();
            }
            cv.notify_one();
            while (!woke.load()) std::this_thread::yield();
            woke.store(false);
            std::lock_guard lock(mutex);
            us.push_back(std::chrono::duration<double, std::micro>(wokeAt - notified).count());
        }
    }
    {
        std::lock_guard lock(mutex);
        stop = true;
    }
    cv.notify_one();
    waiter.join();
    Percentiles(state, us);
}

// ---- Interrupt-safe firing: each thread fires its own occurrence, which keeps its slot until drained.

Occurrence gAsyncOccs[4];

void BM_InterruptSafeOccur(benchmark::State& state) {
    if (state.thread_index() == 0) {
        StartOccurrences();
        for (Occurrence& o : gAsyncOccs)
            if (!o) o = AllocOccur();
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(InterruptSafeOccur(gAsyncOccs[state.thread_index() % 4], 0, 0, nullptr));
    }
    if (state.thread_index() == 0) ChkThGroupOccurrences(kOccThreadSafeGroup);
}

}  // namespace

BENCHMARK(BM_TQEventQueue_OneProducerOneConsumer)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);
BENCHMARK(BM_StdDequeMutexCV_OneProducerOneConsumer)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);
BENCHMARK(BM_TQEventQueue_PostThenProcess)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StdDequeMutex_PostThenProcess)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OccurrenceFireToCallback)->Iterations(1)->UseRealTime();
BENCHMARK(BM_ConditionVariableNotifyToWake)->Iterations(1)->UseRealTime();
BENCHMARK(BM_InterruptSafeOccur)->Threads(4)->UseRealTime();

BENCHMARK_MAIN();
