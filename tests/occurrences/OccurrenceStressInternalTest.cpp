// Eight threads fire, arm (with and without time limits), cancel and dispose at once. Every arming is
// consumed exactly once, by a firing or a timeout, or is cancelled: never run twice, never lost.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "OccurrenceSupport.h"
#include "support/Wine.h"

namespace {

using Clock = std::chrono::steady_clock;

bool UnderSanitizer() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

// TQCORE_STRESS_SECONDS overrides; instrumented or emulated runs are several times slower, so shorter.
double StressSeconds() {
    if (const char* env = std::getenv("TQCORE_STRESS_SECONDS")) return std::atof(env);
    return UnderSanitizer() || tq::test::RunningUnderWine() ? 2.0 : 10.0;
}

constexpr int kOccurrences = 12;
constexpr int kHandlersPerWorker = 6;
constexpr int kGroupWorkers = 4;
constexpr int kForeignWorkers = 4;

enum : int { kIdle = 0, kArmed = 1 };

struct Shared {
    std::atomic<Occurrence> occs[kOccurrences];
    std::atomic<int> errors{0};
    std::atomic<bool> stop{false};
    std::atomic<int> finished{0};
};

// One handler and its books. Never freed before the end, so a late call after disposal is caught.
struct Tracked {
    Shared* shared = nullptr;
    OccurHdlr handler = 0;
    std::atomic<int> state{kIdle};
    std::atomic<bool> disposed{false};
    std::atomic<long> arms{0};
    std::atomic<long> runs{0};
    std::atomic<long> cancels{0};
};

void Consumed(void* arg) {
    auto* t = static_cast<Tracked*>(arg);
    int expected = kArmed;
    if (t->disposed.load() || !t->state.compare_exchange_strong(expected, kIdle))
        t->shared->errors.fetch_add(1);
    t->runs.fetch_add(1);
}

class Worker {
  public:
    Worker(Shared& shared, bool ownGroup, uInt32 seed) : shared_(shared), ownGroup_(ownGroup), rng_(seed) {}

    void Run() {
        for (int i = 0; i < kHandlersPerWorker; ++i) live_.push_back(NewTracked());
        while (!shared_.stop.load()) Step();
        Drain();
        for (Tracked* t : live_) Dispose(t);
        shared_.finished.fetch_add(1);
    }

    const std::deque<Tracked>& All() const { return all_; }
    ThEvent woken = nullptr;

  private:
    uInt32 Pick(uInt32 n) { return std::uniform_int_distribution<uInt32>(0, n - 1)(rng_); }
    Occurrence AnyOcc() { return shared_.occs[Pick(kOccurrences)].load(); }

    Tracked* NewTracked() {
        Tracked& t = all_.emplace_back();
        t.shared = &shared_;
        // Foreign threads get the thread-safe group's rules either way; half of them ask for it by name.
        t.handler = !ownGroup_ && Pick(2) ? AllocThreadSafeOccurHdlr(AnyOcc(), Consumed, &t)
                                          : AllocOccurHdlr(AnyOcc(), Consumed, &t);
        if (t.handler == 0) shared_.errors.fetch_add(1);
        return &t;
    }

    void Arm(Tracked* t) {
        t->state.store(kArmed);
        t->arms.fetch_add(1);
        const Bool32 ignore = Pick(2);
        const TqErr err = Pick(2) ? OnOccurrenceWithTimeout(t->handler, ignore, int32(Pick(20)))
                                  : OnOccurrence(t->handler, ignore);
        // kErrNoOccurrence: its occurrence went away and the callback already ran.
        if (err != kErrNone && err != kErrNoOccurrence) shared_.errors.fetch_add(1);
    }

    void Dispose(Tracked* t) {
        t->disposed.store(true);
        if (t->state.load() == kArmed) t->cancels.fetch_add(1);
        if (DeallocOccurHdlr(t->handler) != kErrNone) shared_.errors.fetch_add(1);
    }

    // Only this thread runs a group handler's callback, so a cancel here cannot race with one.
    bool CanCancel(const Tracked* t) const { return ownGroup_ || t->state.load() == kIdle; }

    void Fire() {
        switch (Pick(4)) {
            case 0:
                InterruptSafeOccur(AnyOcc(), 0, 0, nullptr);
                break;
            case 1:
                OccurAtTime(AnyOcc(), MilliSecs() + Pick(5));
                break;
            default:
                Occur(AnyOcc());
                break;
        }
    }

    void Step() {
        const uInt32 slot = Pick(kHandlersPerWorker);
        Tracked* t = live_[slot];
        switch (Pick(16)) {
            case 0:
            case 1:
            case 2:
            case 3:
                if (t->state.load() == kIdle) Arm(t);
                break;
            case 4:
                if (ownGroup_ && t->state.load() == kArmed) {
                    if (CancelOnOccur(t->handler) != kErrNone) shared_.errors.fetch_add(1);
                    t->cancels.fetch_add(1);
                    t->state.store(kIdle);
                }
                break;
            case 5:
                if (CanCancel(t)) {
                    Dispose(t);
                    live_[slot] = NewTracked();
                }
                break;
            case 6:
                if (t->state.load() == kIdle) BindOccurHdlr(t->handler, AnyOcc(), Consumed, t);
                break;
            case 7:
                if (t->state.load() == kArmed) FireOccurHdlr(t->handler);
                break;
            case 8:
                if (Pick(32) == 0) {
                    const int i = int(Pick(kOccurrences));
                    DeallocOccur(shared_.occs[i].exchange(AllocOccur()));
                }
                break;
            case 9:
                if (woken) ThEventWaitWithTimeout(woken, 1);
                break;
            default:
                Fire();
                break;
        }
        ChkOccurrences();
    }

    bool AllIdle() const {
        for (const Tracked* t : live_)
            if (t->state.load() != kIdle) return false;
        return true;
    }

    // Fires everything until each armed handler of this thread has run.
    void Drain() {
        const auto end = Clock::now() + std::chrono::seconds(60);
        while (!AllIdle() && Clock::now() < end) {
            for (auto& occ : shared_.occs) Occur(occ.load());
            ChkOccurrences();
            std::this_thread::yield();
        }
        if (!AllIdle()) shared_.errors.fetch_add(1000);
    }

    Shared& shared_;
    bool ownGroup_;
    std::minstd_rand rng_;
    std::deque<Tracked> all_;
    std::vector<Tracked*> live_;
};

void WakeUp(void* param) {
    ThEventSignal(static_cast<ThEvent>(param));
}

struct GroupStart {
    Worker* worker;
    uInt32 group;
};

int32 GroupWorkerMain(void* arg) {
    auto* start = static_cast<GroupStart*>(arg);
    SetOccThreadGroup(ThThreadGetIndex(nullptr), start->group);
    start->worker->Run();
    return 0;
}

class OccurrenceStressTest : public occtest::OccurrenceFixture {};

TEST_F(OccurrenceStressTest, EveryArmingIsConsumedOnceWhateverTheOtherThreadsDo) {
    Shared shared;
    for (auto& occ : shared.occs) occ = AllocOccur();
    std::deque<Worker> workers;
    std::vector<GroupStart> starts(kGroupWorkers);
    std::vector<ThThread> groupThreads;
    for (int i = 0; i < kGroupWorkers; ++i) {
        Worker& w = workers.emplace_back(shared, true, uInt32(100 + i));
        ASSERT_EQ(ThEventCreate(&w.woken, 0, 0), kErrNone);
        starts[i] = {&w, GetOccNewThreadGroupIndex()};
        ASSERT_EQ(SetOccThreadGroupProc(starts[i].group, WakeUp, w.woken), kErrNone);
        ThThread th = nullptr;
        ASSERT_EQ(ThThreadCreate(&th, GroupWorkerMain, &starts[i], "stress"), kErrNone);
        groupThreads.push_back(th);
    }
    std::vector<std::thread> foreign;
    for (int i = 0; i < kForeignWorkers; ++i) {
        Worker& w = workers.emplace_back(shared, false, uInt32(200 + i));
        foreign.emplace_back([&w] { w.Run(); });
    }

    std::this_thread::sleep_for(std::chrono::duration<double>(StressSeconds()));
    shared.stop = true;
    const auto deadline = Clock::now() + std::chrono::seconds(120);
    while (shared.finished.load() < kGroupWorkers + kForeignWorkers) {
        if (Clock::now() > deadline) {
            std::fprintf(stderr, "occurrence stress: workers made no progress for two minutes (deadlock)\n");
            std::abort();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    for (std::thread& t : foreign) t.join();
    for (ThThread th : groupThreads) ThThreadDestroy(th);

    long arms = 0, runs = 0, cancels = 0;
    for (const Worker& w : workers) {
        for (const Tracked& t : w.All()) {
            EXPECT_EQ(t.arms.load(), t.runs.load() + t.cancels.load()) << "handler " << t.handler;
            arms += t.arms;
            runs += t.runs;
            cancels += t.cancels;
        }
    }
    EXPECT_EQ(shared.errors.load(), 0);
    EXPECT_GT(runs, 0);
    std::printf("occurrence stress: %ld armings, %ld callbacks, %ld cancelled\n", arms, runs, cancels);
    for (int i = 0; i < kGroupWorkers; ++i) {
        SetOccThreadGroupProc(starts[i].group, nullptr, nullptr);
        ThEventDestroy(workers[size_t(i)].woken);
    }
    for (auto& occ : shared.occs) DeallocOccur(occ.load());
}

}  // namespace
