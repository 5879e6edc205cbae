#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "OccurrenceSupport.h"
#include "occurrences/OccurrenceManager.h"
#include "support/ReportCapture.h"
#include "support/TestHost.h"

namespace {

using occtest::Calls;
using occtest::CountCall;
using occtest::Eventually;

// Occurrences and handlers made through Occ and Counting are disposed of at the end, before the manager
// stops.
class OccurrenceTest : public occtest::OccurrenceFixture {
  protected:
    void TearDown() override {
        for (OccurHdlr h : handlers_) DeallocOccurHdlr(h);
        for (Occurrence o : occs_) DeallocOccur(o);
        OccurrenceFixture::TearDown();
    }
    Occurrence Occ() { return occs_.emplace_back(AllocOccur()); }
    OccurHdlr Counting(Occurrence occ, Calls* calls, decltype(&AllocOccurHdlr) alloc = AllocOccurHdlr) {
        return handlers_.emplace_back(alloc(occ, CountCall, calls));
    }

  private:
    std::vector<Occurrence> occs_;
    std::vector<OccurHdlr> handlers_;
};

// ---- Occurrences and arming

TEST_F(OccurrenceTest, OccurrencesAreCookiesThatComeAndGo) {
    const Occurrence occ = AllocOccur();
    ASSERT_NE(occ, 0u);
    EXPECT_EQ(ValidOccurrence(occ), 1);
    EXPECT_EQ(ValidOccurrence(0), 0);
    EXPECT_EQ(DeallocOccur(occ), kErrNone);
    EXPECT_EQ(ValidOccurrence(occ), 0);
    EXPECT_EQ(Occur(0), kErrArgument);
    EXPECT_NE(Occur(occ), kErrNone);
    EXPECT_NE(DeallocOccur(occ), kErrNone);
    OccurIfValid(occ);
    OccurIfValid(0);
}

TEST_F(OccurrenceTest, UnseenFiringsRunAtOnceAndAPlainHandlerTakesThemAll) {
    const Occurrence occ = Occ();
    Calls calls;
    const OccurHdlr h = Counting(occ, &calls);
    ASSERT_NE(h, 0u);
    ASSERT_EQ(Occur(occ), kErrNone);
    ASSERT_EQ(Occur(occ), kErrNone);
    EXPECT_EQ(calls.count, 0);
    EXPECT_EQ(OnOccurrence(h, 0), kErrNone);
    EXPECT_EQ(calls.count, 1);
    EXPECT_EQ(calls.thread.load(), std::this_thread::get_id());
    // Both firings were consumed: it now waits.
    EXPECT_EQ(OnOccurrence(h, 0), kErrNone);
    ChkOccurrences();
    EXPECT_EQ(calls.count, 1);
    EXPECT_EQ(HandlerTimedOut(h), 0);
}

TEST_F(OccurrenceTest, AStrictHandlerTakesOneFiringPerArming) {
    const Occurrence occ = Occ();
    Calls calls;
    const OccurHdlr h = Counting(occ, &calls, AllocOccurHdlrStrict);
    Occur(occ);
    Occur(occ);
    EXPECT_EQ(OnOccurrence(h, 0), kErrNone);
    EXPECT_EQ(OnOccurrence(h, 0), kErrNone);
    EXPECT_EQ(calls.count, 2);
    EXPECT_EQ(OnOccurrence(h, 0), kErrNone);
    ChkOccurrences();
    EXPECT_EQ(calls.count, 2);
}

TEST_F(OccurrenceTest, IgnorePreviousWaitsForTheNextFiringWhichRunsAtTheGroupsCheck) {
    const Occurrence occ = Occ();
    Calls calls;
    const OccurHdlr h = Counting(occ, &calls);
    Occur(occ);
    EXPECT_EQ(OnOccurrence(h, 1), kErrNone);
    EXPECT_EQ(calls.count, 0);
    EXPECT_EQ(QuickCheckGroupHandlersFired(0), 0);
    Occur(occ);
    // Fired into this thread's group: nothing runs until the group checks.
    EXPECT_EQ(calls.count, 0);
    EXPECT_EQ(QuickCheckGroupHandlersFired(0), 1);
    EXPECT_EQ(ChkOccurrences(), kErrNone);
    EXPECT_EQ(calls.count, 1);
    EXPECT_EQ(QuickCheckGroupHandlersFired(0), 0);
    // Fired again after being consumed: a re-arm without a firing waits.
    EXPECT_EQ(OnOccurrence(h, 0), kErrNone);
    ChkOccurrences();
    EXPECT_EQ(calls.count, 1);
}

TEST_F(OccurrenceTest, ATimeLimitFiresIntoTheGroupAsATimeout) {
    const Occurrence occ = Occ();
    Calls calls;
    const OccurHdlr h = Counting(occ, &calls);
    const uInt32 start = MilliSecs();
    ASSERT_EQ(OnOccurrenceWithTimeout(h, 0, 50), kErrNone);
    ASSERT_TRUE(Eventually([] { return QuickCheckGroupHandlersFired(0) == 1; }));
    EXPECT_GE(MillisecCmp(MilliSecs(), start), 49);
    EXPECT_EQ(calls.count, 0);
    ChkOccurrences();
    EXPECT_EQ(calls.count, 1);
    EXPECT_EQ(HandlerTimedOut(h), 1);
    // A real firing afterwards is consumed like any other and clears the flag.
    ASSERT_EQ(OnOccurrenceWithTimeout(h, 0, -1), kErrNone);
    Occur(occ);
    ChkOccurrences();
    EXPECT_EQ(calls.count, 2);
    EXPECT_EQ(HandlerTimedOut(h), 0);
}

TEST_F(OccurrenceTest, FiringBeforeTheLimitLeavesNoTimeoutBehind) {
    const Occurrence occ = Occ();
    Calls calls;
    const OccurHdlr h = Counting(occ, &calls);
    ASSERT_EQ(OnOccurrenceWithTimeout(h, 0, 30), kErrNone);
    Occur(occ);
    ChkOccurrences();
    EXPECT_EQ(calls.count, 1);
    EXPECT_EQ(HandlerTimedOut(h), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    ChkOccurrences();
    EXPECT_EQ(calls.count, 1);
}

TEST_F(OccurrenceTest, CancellingForgetsAnUndispatchedFiringAndTheLimit) {
    const Occurrence occ = Occ();
    Calls calls;
    const OccurHdlr h = Counting(occ, &calls);
    ASSERT_EQ(OnOccurrenceWithTimeout(h, 1, 20), kErrNone);
    Occur(occ);
    EXPECT_EQ(QuickCheckGroupHandlersFired(0), 1);
    EXPECT_EQ(CancelOnOccur(h), kErrNone);
    EXPECT_EQ(QuickCheckGroupHandlersFired(0), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    ChkOccurrences();
    EXPECT_EQ(calls.count, 0);
    // The cancelled firing counts as seen.
    EXPECT_EQ(OnOccurrence(h, 0), kErrNone);
    EXPECT_EQ(calls.count, 0);
    Occur(occ);
    ChkOccurrences();
    EXPECT_EQ(calls.count, 1);
}

TEST_F(OccurrenceTest, ADisposedOccurrenceGivesItsWaitersOneTimeout) {
    const Occurrence occ = AllocOccur();
    Calls calls;
    const OccurHdlr h = Counting(occ, &calls);
    ASSERT_EQ(OnOccurrence(h, 0), kErrNone);
    ASSERT_EQ(DeallocOccur(occ), kErrNone);
    EXPECT_EQ(calls.count, 0);
    ChkOccurrences();
    EXPECT_EQ(calls.count, 1);
    EXPECT_EQ(HandlerTimedOut(h), 1);
    ChkOccurrences();
    EXPECT_EQ(calls.count, 1);
    EXPECT_EQ(OnOccurrence(h, 0), kErrNoOccurrence);
    EXPECT_EQ(calls.count, 2);
}

TEST_F(OccurrenceTest, FireOccurHdlrFiresOneArmedHandlerAsATimeout) {
    const Occurrence occ = Occ();
    Calls a, b;
    const OccurHdlr ha = Counting(occ, &a);
    const OccurHdlr hb = Counting(occ, &b);
    EXPECT_EQ(FireOccurHdlr(ha), kErrNone);  // not armed: nothing happens
    ChkOccurrences();
    EXPECT_EQ(a.count, 0);
    OnOccurrence(ha, 0);
    OnOccurrence(hb, 0);
    EXPECT_EQ(FireOccurHdlr(ha), kErrNone);
    ChkOccurrences();
    EXPECT_EQ(a.count, 1);
    EXPECT_EQ(b.count, 0);
    EXPECT_EQ(HandlerTimedOut(ha), 1);
    Occur(occ);
    ChkOccurrences();
    EXPECT_EQ(b.count, 1);
    EXPECT_EQ(a.count, 1);
}

TEST_F(OccurrenceTest, BindingMovesAHandlerToAnotherOccurrence) {
    const Occurrence first = Occ();
    const Occurrence second = Occ();
    Calls calls, other;
    const OccurHdlr h = Counting(first, &calls);
    ASSERT_EQ(BindOccurHdlr(h, second, CountCall, &other), kErrNone);
    OnOccurrence(h, 1);
    Occur(first);
    ChkOccurrences();
    EXPECT_EQ(other.count, 0);
    Occur(second);
    ChkOccurrences();
    EXPECT_EQ(other.count, 1);
    EXPECT_EQ(calls.count, 0);
    // Unknown occurrence: refused, nothing changes.
    const Occurrence gone = AllocOccur();
    DeallocOccur(gone);
    EXPECT_NE(BindOccurHdlr(h, gone, CountCall, &calls), kErrNone);
    OnOccurrence(h, 1);
    Occur(second);
    ChkOccurrences();
    EXPECT_EQ(other.count, 2);
    // Unbound: arming reports the missing occurrence and calls back at once.
    ASSERT_EQ(BindOccurHdlr(h, 0, CountCall, &calls), kErrNone);
    EXPECT_EQ(OnOccurrence(h, 0), kErrNoOccurrence);
    EXPECT_EQ(calls.count, 1);
}

TEST_F(OccurrenceTest, UnknownHandlersAreRefusedWithTheJarsError) {
    const Occurrence occ = Occ();
    Calls calls;
    const OccurHdlr h = Counting(occ, &calls);
    ASSERT_EQ(DeallocOccurHdlr(h), kErrNone);
    EXPECT_EQ(OnOccurrence(0, 0), kErrArgument);
    EXPECT_EQ(OnOccurrence(h, 0), kErrArgument);
    EXPECT_EQ(OnOccurrenceWithTimeout(h, 0, 5), kErrArgument);
    EXPECT_EQ(CancelOnOccur(h), kErrArgument);
    EXPECT_EQ(FireOccurHdlr(h), kErrArgument);
    EXPECT_EQ(DeallocOccurHdlr(h), kErrArgument);
    EXPECT_EQ(BindOccurHdlr(h, occ, CountCall, &calls), kErrArgument);
    EXPECT_EQ(HandlerTimedOut(h), 0);
    Occur(occ);
    ChkOccurrences();
    EXPECT_EQ(calls.count, 0);
}

TEST_F(OccurrenceTest, NullCallbacksAreReportedAndSkipped) {
    ReportCapture capture;
    const Occurrence occ = Occ();
    const OccurHdlr h = AllocOccurHdlr(occ, nullptr, nullptr);
    EXPECT_EQ(capture.Count(kDbgBroken, "Setting NULL callback proc"), 1);
    Occur(occ);
    EXPECT_EQ(OnOccurrence(h, 0), kErrNone);
    const std::string skipped =
        "NULL callback for occurrence handler " + std::to_string(h) + "; skipped call";
    EXPECT_EQ(capture.Count(kDbgBroken, skipped), 1);
    Calls calls;
    ASSERT_EQ(BindOccurHdlr(h, occ, CountCall, &calls), kErrNone);
    OnOccurrence(h, 1);
    BindOccurHdlr(h, occ, nullptr, nullptr);
    EXPECT_EQ(
        capture.Count(kDbgBroken,
                      "ARMED AND DANGEROUS! This occurrence is about to fire with a NULL callback proc!"),
        1);
    Occur(occ);
    ChkOccurrences();
    EXPECT_EQ(capture.Count(kDbgBroken, skipped), 2);
    EXPECT_EQ(calls.count, 0);
    DeallocOccurHdlr(h);
}

// ---- Threads and groups

TEST_F(OccurrenceTest, AThreadSafeHandlerRunsInTheFiringThread) {
    const Occurrence occ = Occ();
    Calls calls;
    const OccurHdlr h = Counting(occ, &calls, AllocThreadSafeOccurHdlr);
    ASSERT_EQ(OnOccurrence(h, 1), kErrNone);
    std::thread::id firer;
    std::thread t([&] {
        firer = std::this_thread::get_id();
        Occur(occ);
    });
    t.join();
    EXPECT_EQ(calls.count, 1);
    EXPECT_EQ(calls.thread.load(), firer);
}

TEST_F(OccurrenceTest, AHandlerArmedByAForeignThreadNeedsNoGroupCheck) {
    const Occurrence occ = Occ();
    Calls calls;
    OccurHdlr h = 0;
    std::thread t([&] {
        h = Counting(occ, &calls);
        OnOccurrenceWithTimeout(h, 1, 40);
    });
    t.join();
    // Its time limit passes with nobody checking: the manager thread runs it.
    ASSERT_TRUE(Eventually([&] { return calls.count == 1; }));
    EXPECT_NE(calls.thread.load(), std::this_thread::get_id());
    EXPECT_EQ(HandlerTimedOut(h), 1);
    std::thread again([&] { OnOccurrence(h, 1); });
    again.join();
    Occur(occ);
    EXPECT_EQ(calls.count, 2);
    EXPECT_EQ(calls.thread.load(), std::this_thread::get_id());
}

struct GroupThread {
    Occurrence occ = 0;
    uInt32 group = 0;
    ThEvent woken = nullptr;
    Calls calls;
    std::atomic<bool> armed{false};
    std::atomic<bool> done{false};
    std::atomic<int> wakeUps{0};
};

void WakeUp(void* param) {
    auto* g = static_cast<GroupThread*>(param);
    g->wakeUps.fetch_add(1);
    ThEventSignal(g->woken);
}

int32 GroupThreadMain(void* arg) {
    auto* g = static_cast<GroupThread*>(arg);
    SetOccThreadGroup(ThThreadGetIndex(nullptr), g->group);
    const OccurHdlr h = AllocOccurHdlr(g->occ, CountCall, &g->calls);
    OnOccurrence(h, 1);
    g->armed = true;
    ThEventWait(g->woken);
    ChkOccurrences();
    DeallocOccurHdlr(h);
    g->done = true;
    return 0;
}

TEST_F(OccurrenceTest, AGroupIsWokenAndItsThreadRunsTheCallback) {
    GroupThread g;
    g.occ = AllocOccur();
    g.group = GetOccNewThreadGroupIndex();
    ASSERT_EQ(ThEventCreate(&g.woken, 0, 0), kErrNone);
    ASSERT_EQ(SetOccThreadGroupProc(g.group, WakeUp, &g), kErrNone);
    ThThread th = nullptr;
    ASSERT_EQ(ThThreadCreate(&th, GroupThreadMain, &g, "group"), kErrNone);
    ASSERT_TRUE(Eventually([&] { return g.armed.load(); }));
    Occur(g.occ);
    EXPECT_EQ(g.wakeUps, 1);
    ASSERT_TRUE(Eventually([&] { return g.done.load(); }));
    EXPECT_EQ(g.calls.count, 1);
    EXPECT_NE(g.calls.thread.load(), std::this_thread::get_id());
    ThThreadDestroy(th);
    SetOccThreadGroupProc(g.group, nullptr, nullptr);
    ThEventDestroy(g.woken);
    DeallocOccur(g.occ);
}

TEST_F(OccurrenceTest, DynamicGroupsComeFromAStack) {
    ReportCapture capture;
    EXPECT_EQ(GetOccNewThreadGroupIndex(), 6120u);
    EXPECT_EQ(GetOccNewThreadGroupIndex(), 6121u);
    EXPECT_EQ(SetOccThreadGroupProc(6120, nullptr, nullptr), kErrNone);
    EXPECT_EQ(GetOccNewThreadGroupIndex(), 6120u);
    EXPECT_EQ(capture.Count(kDbgError, ""), 0);
    EXPECT_EQ(SetOccThreadGroupProc(kOccThreadSafeGroup, nullptr, nullptr), kErrArgument);
    EXPECT_EQ(SetOccThreadGroup(kThMaxThreads, 6120), kErrArgument);
    EXPECT_EQ(SetOccThreadGroup(3, kOccThreadSafeGroup), kErrArgument);

    EXPECT_EQ(SetOccThreadGroup(3, 5), kErrNone);
    EXPECT_EQ(capture.Count(kDbgError, "Trying to set a threadGroupID in preallocated section"), 1);
    EXPECT_EQ(SetOccThreadGroup(3, 7000), kErrNone);
    EXPECT_EQ(capture.Count(kDbgError, "This thread group ID is marked free."), 1);
    EXPECT_EQ(SetOccThreadGroupProc(5, WakeUp, nullptr), kErrNone);
    EXPECT_EQ(capture.Count(kDbgError, "Trying to set wake-up proc/param info in preallocated section"), 1);
    EXPECT_EQ(SetOccThreadGroupProc(7000, WakeUp, nullptr), kErrNone);
    EXPECT_EQ(
        capture.Count(kDbgError, "Trying to set a wake up proc for a thread group that is marked free!"), 1);

    SetOccurrenceManagerMainThreadGroupIndex(6121);
    EXPECT_EQ(GetOccurrenceManagerMainThreadGroupIndex(), 6121u);
    SetOccurrenceManagerMainThreadGroupIndex(0);
}

TEST_F(OccurrenceTest, TheLastDynamicGroupIsReportedWhenNoneIsLeft) {
    ReportCapture capture;
    for (uInt32 i = 0; i < kOccThreadSafeGroup - kOccFirstDynamicGroup; ++i)
        ASSERT_EQ(GetOccNewThreadGroupIndex(), kOccFirstDynamicGroup + i);
    EXPECT_EQ(GetOccNewThreadGroupIndex(), kOccNoThreadGroup);
    EXPECT_EQ(capture.Count(kDbgBroken, "No more free thread group IDs!"), 1);
}

// ---- Timed firing

TEST_F(OccurrenceTest, OccurAtTimeFiresOnceAtItsTimeAndCanBeMovedOrCancelled) {
    const Occurrence occ = AllocOccur();
    Calls calls;
    const OccurHdlr h = AllocThreadSafeOccurHdlr(occ, CountCall, &calls);
    ASSERT_EQ(OnOccurrence(h, 1), kErrNone);
    EXPECT_EQ(OccurAtTime(0, MilliSecs()), kErrArgument);
    EXPECT_EQ(CancelOccurAtTime(occ), kErrArgument);
    ASSERT_EQ(OccurAtTime(occ, MilliSecs() + 100000), kErrNone);
    const uInt32 start = MilliSecs();
    ASSERT_EQ(OccurAtTime(occ, start + 40), kErrNone);  // replaces the far one
    ASSERT_TRUE(Eventually([&] { return calls.count == 1; }));
    EXPECT_GE(MillisecCmp(MilliSecs(), start), 39);
    EXPECT_EQ(HandlerTimedOut(h), 0);
    EXPECT_EQ(CancelOccurAtTime(occ), kErrArgument);  // done: no longer scheduled

    ASSERT_EQ(OnOccurrence(h, 1), kErrNone);
    ASSERT_EQ(OccurAtTime(occ, MilliSecs() + 30), kErrNone);
    EXPECT_EQ(CancelOccurAtTime(occ), kErrNone);
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    EXPECT_EQ(calls.count, 1);
    DeallocOccurHdlr(h);
    DeallocOccur(occ);
    EXPECT_EQ(OccurAtTime(occ, MilliSecs()), kErrArgument);
}

// ---- The asynchronous area

std::atomic<int> gCountDowns{0};
std::atomic<uInt32> gFirstCountDownIndex{0};
void CountDown(void* slot, uInt32 index, Occurrence, void* arg) {
    if (gCountDowns.fetch_add(1) == 0) gFirstCountDownIndex = index;
    EXPECT_EQ(arg, &gCountDowns);
    EXPECT_EQ(static_cast<uChar*>(slot),
              static_cast<uChar*>(GetOccurrenceManagerAsyncArea()) + 32 + 8 * index);
}

TEST_F(OccurrenceTest, InterruptSafeFiringsWaitInTheAreaUntilAGroupChecks) {
    gCountDowns = 0;
    SetResetCountDownRegCallbackProc(CountDown);
    std::vector<Occurrence> occs;
    std::vector<Calls> calls(kOccAsyncSlots + 1);
    std::vector<OccurHdlr> handlers;
    for (uInt32 i = 0; i <= kOccAsyncSlots; ++i) {
        occs.push_back(AllocOccur());
        handlers.push_back(AllocThreadSafeOccurHdlr(occs.back(), CountCall, &calls[i]));
        OnOccurrence(handlers.back(), 1);
    }
    EXPECT_EQ(InterruptSafeOccur(0, 0, 0, nullptr), kErrArgument);
    for (uInt32 i = 0; i < kOccAsyncSlots; ++i)
        ASSERT_EQ(InterruptSafeOccur(occs[i], 0, 0, &gCountDowns), kErrNone);
    EXPECT_EQ(InterruptSafeOccur(occs[kOccAsyncSlots], 0, 0, &gCountDowns), kErrOccurQueueFull);
    EXPECT_EQ(InterruptSafeOccur(occs[5], 0, 0, &gCountDowns), kErrNone);  // already waiting: same slot
    EXPECT_EQ(gCountDowns, 10);
    EXPECT_EQ(gFirstCountDownIndex, 1013u);
    EXPECT_EQ(QuickCheckGroupHandlersFired(0), 1);
    EXPECT_EQ(calls[0].count, 0);

    EXPECT_EQ(ChkOccurrences(), kErrNone);
    for (uInt32 i = 0; i < kOccAsyncSlots; ++i) ASSERT_EQ(calls[i].count, 1) << i;
    EXPECT_EQ(calls[kOccAsyncSlots].count, 0);
    EXPECT_EQ(QuickCheckGroupHandlersFired(0), 0);
    EXPECT_EQ(InterruptSafeOccur(occs[kOccAsyncSlots], 0, 0, nullptr), kErrNone);
    EXPECT_EQ(ChkThGroupOccurrences(kOccThreadSafeGroup), kErrNone);
    EXPECT_EQ(calls[kOccAsyncSlots].count, 1);
    EXPECT_EQ(ChkThGroupOccurrences(kOccThreadSafeGroup + 1), kErrArgument);
    SetResetCountDownRegCallbackProc(nullptr);
    for (OccurHdlr h : handlers) DeallocOccurHdlr(h);
    for (Occurrence o : occs) DeallocOccur(o);
}

// ---- The service

TEST_F(OccurrenceTest, StoppingDisposesEverythingAndWaitersGetTheirTimeout) {
    const Occurrence occ = AllocOccur();
    Calls calls;
    const OccurHdlr h = AllocThreadSafeOccurHdlr(occ, CountCall, &calls);
    OnOccurrenceWithTimeout(h, 1, 100000);
    ASSERT_NE(tq::occurrences::OccurrenceManagerThread(), nullptr);
    OccurrenceManagerService()->Uninit();
    EXPECT_EQ(calls.count, 1);
    EXPECT_EQ(tq::occurrences::OccurrenceManagerThread(), nullptr);
    EXPECT_EQ(ValidOccurrence(occ), 0);
    EXPECT_EQ(AllocOccur(), 0u);
    EXPECT_EQ(ChkOccurrences(), kErrNone);
    EXPECT_EQ(GetOccurrenceManagerAsyncArea(), nullptr);
    ASSERT_EQ(OccurrenceManagerService()->Init(), kErrNone);
    EXPECT_EQ(ValidOccurrence(occ), 0);
    EXPECT_NE(AllocOccur(), 0u);
}

std::atomic<int32> gManagerLevel{-1};
std::atomic<ThThread> gManagerThread{nullptr};
void RecordPriority(ThThread th, void*, uInt32, int32 level) {
    gManagerThread = th;
    gManagerLevel = level;
}

class EmbeddedHost : public TestHost {
  public:
    bool IsEmbeddedRunTime() override { return true; }
};

TEST_F(OccurrenceTest, TheManagerThreadRunsTimeCriticalUnlessHardWaitingSaysVeryHigh) {
    OccurrenceManagerService()->Uninit();
    HardWaitBehaviorService()->Uninit();
    ASSERT_EQ(ThSetThreadPrioritySetProc(RecordPriority), 0);
    EXPECT_EQ(GetHardWaitTimeCritical(), 0);  // no host, no service: off
    ASSERT_EQ(HardWaitBehaviorService()->Init(), kErrNone);
    ASSERT_EQ(OccurrenceManagerService()->Init(), kErrNone);
    EXPECT_EQ(gManagerLevel, kThPriorityTimeCritical);
    EXPECT_EQ(gManagerThread.load(), tq::occurrences::OccurrenceManagerThread());
    OccurrenceManagerService()->Uninit();
    HardWaitBehaviorService()->Uninit();

    EmbeddedHost host;
    TQAppInterfaceSet(&host);
    EXPECT_EQ(GetHardWaitTimeCritical(), 1);
    ASSERT_EQ(HardWaitBehaviorService()->Init(), kErrNone);
    EXPECT_EQ(GetHardWaitTimeCritical(), 1);
    ASSERT_EQ(OccurrenceManagerService()->Init(), kErrNone);
    EXPECT_EQ(gManagerLevel, kThPriorityVeryHigh);
    EXPECT_EQ(gManagerThread.load(), tq::occurrences::OccurrenceManagerThread());
    TQAppInterfaceSet(nullptr);
    ThClearThreadPrioritySetProc(RecordPriority);
}

TEST_F(OccurrenceTest, TheServiceDependsOnHardWaitingMutexesAndThreads) {
    struct Names : IServiceDependencyList {
        void Add(IServiceObject* s) override { names.push_back(s->Name()); }
        std::vector<std::string> names;
    } deps, hardWait;
    EXPECT_STREQ(OccurrenceManagerService()->Name(), "OccurrenceManager");
    OccurrenceManagerService()->Dependencies(deps);
    EXPECT_EQ(deps.names, (std::vector<std::string>{"HardWaitBehavior", "ThMutex", "ThThread"}));
    EXPECT_STREQ(HardWaitBehaviorService()->Name(), "HardWaitBehavior");
    HardWaitBehaviorService()->Dependencies(hardWait);
    EXPECT_EQ(hardWait.names, (std::vector<std::string>{"ConfigManager", "ConfigCoreTypes"}));
}

}  // namespace
