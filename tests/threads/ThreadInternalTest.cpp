#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "support/Eventually.h"
#include "support/ReportCapture.h"
#include "threads/Services.h"
#include "threads/ThRecords.h"
#include "threads/ThThread.h"
#include "tqcore/core.h"
#include "tqcore/threads.h"

namespace {

using tq::test::Eventually;

class ThThreadTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(tq::threads::ThThreadService()->Init(), kErrNone); }
    void TearDown() override {
        DebugOutputSetHandler(nullptr);
        tq::threads::ThThreadService()->Uninit();
    }
};

struct Job {
    ThEvent go = nullptr;
    std::atomic<ThThread> self{nullptr};
    std::atomic<uInt32> index{0};
};

int32 WaitForGo(void* arg) {
    auto* job = static_cast<Job*>(arg);
    job->index = ThThreadGetIndex(nullptr);
    job->self = ThThreadGetId();  // published last: the test waits on it before reading the index
    ThEventWait(job->go);
    return 7;
}

int32 ReturnAtOnce(void*) {
    return 0;
}

TEST_F(ThThreadTest, CreatedThreadsKnowThemselvesAndEnd) {
    EXPECT_EQ(ThThreadGetId(), nullptr);
    AssimilateStartUpThread();
    ThThread me = ThThreadGetId();
    ASSERT_NE(me, nullptr);
    EXPECT_EQ(ThThreadGetIndex(me), 0u);
    EXPECT_TRUE(IsStartUpThread());
    EXPECT_TRUE(ThThreadActive(me));

    Job job;
    ASSERT_EQ(ThEventCreate(&job.go, 0, 0), kErrNone);
    ThThread th = nullptr;
    ASSERT_EQ(ThThreadCreate(&th, WaitForGo, &job, "worker"), kErrNone);
    ASSERT_TRUE(Eventually([&] { return job.self.load() != nullptr; }));
    EXPECT_EQ(job.self.load(), th);
    EXPECT_EQ(job.index.load(), 1u);
    EXPECT_EQ(ThThreadGetIndex(th), 1u);
    EXPECT_TRUE(ThThreadActive(th));

    void** handle = nullptr;
    uInt32* id = nullptr;
    ThGetPlatformThread(th, &handle, &id);
    ASSERT_NE(handle, nullptr);
    ASSERT_NE(id, nullptr);
    EXPECT_NE(*id, 0u);
    ThGetPlatformThread(nullptr, &handle, &id);
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(id, nullptr);

    int info = 0;
    void* got = nullptr;
    ThSetThInfo(th, &info, 42);
    EXPECT_EQ(ThGetThInfo(th, &got), 42);
    EXPECT_EQ(got, &info);
    EXPECT_EQ(ThGetThInfo(nullptr, &got), 0);
    EXPECT_EQ(got, nullptr);

    ThEventSignal(job.go);
    EXPECT_TRUE(Eventually([&] { return !ThThreadActive(th); }));
    ThThreadDestroy(th);
    ThEventDestroy(job.go);

    EXPECT_EQ(ThThreadCreate(nullptr, ReturnAtOnce, nullptr, nullptr), kErrArgument);
    EXPECT_EQ(ThThreadStackLeft(), 0x7FFFFFFF);
    EXPECT_GE(ThNumberOfProcessors(), 1);
}

TEST_F(ThThreadTest, StartUpAndPseudoThreadsAreAdopted) {
    AssimilateStartUpThread();
    std::atomic<Bool32> otherIsStartUp{1};
    std::atomic<uInt32> pseudoIndex{0};
    std::atomic<bool> ownRecord{false};
    std::thread other([&] {
        otherIsStartUp = IsStartUpThread();
        ThThread th = nullptr;
        if (ThPseudoThreadCreate(&th) != kErrNone) return;
        pseudoIndex = ThThreadGetIndex(nullptr);
        ownRecord = ThThreadGetId() == th && ThThreadActive(th);
        ThThreadDestroy(th);
        if (ThThreadGetId() != nullptr) ownRecord = false;
    });
    other.join();
    EXPECT_EQ(otherIsStartUp.load(), 0);
    EXPECT_EQ(pseudoIndex.load(), 1u);
    EXPECT_TRUE(ownRecord.load());
    // The start-up record is static: destroying it frees its slot but not the record.
    ThThread me = ThThreadGetId();
    ThThreadDestroy(me);
    EXPECT_EQ(ThThreadGetId(), nullptr);
}

TEST_F(ThThreadTest, FullTableRefusesAndFreedSlotsAreReused) {
    ReportCapture capture;
    std::vector<ThThread> pseudo;
    for (;;) {
        ThThread th = nullptr;
        if (ThPseudoThreadCreate(&th) != kErrNone) {
            EXPECT_EQ(th, nullptr);
            break;
        }
        pseudo.push_back(th);
        if (pseudo.size() > kThMaxThreads) break;
    }
    ASSERT_EQ(pseudo.size(), kThMaxThreads - 1);  // slot 0 belongs to the start-up thread
    EXPECT_EQ(pseudo.back()->index, kThMaxThreads - 1);
    EXPECT_EQ(capture.Count(kDbgNote, "Thread Array full!!"), 1);

    ThThread th = reinterpret_cast<ThThread>(1);
    EXPECT_EQ(ThThreadCreate(&th, ReturnAtOnce, nullptr, nullptr), kErrMemoryFull);
    EXPECT_EQ(th, nullptr);
    EXPECT_EQ(capture.Count(kDbgNote, "Thread Array full!!"), 2);

    ThThreadDestroy(pseudo[99]);
    ThThreadDestroy(pseudo[4000]);
    ASSERT_EQ(ThThreadCreate(&th, ReturnAtOnce, nullptr, nullptr), kErrNone);
    EXPECT_EQ(ThThreadGetIndex(th), 100u);
    ThThread second = nullptr;
    ASSERT_EQ(ThThreadCreate(&second, ReturnAtOnce, nullptr, nullptr), kErrNone);
    EXPECT_EQ(ThThreadGetIndex(second), 4001u);
    ThThreadDestroy(th);
    ThThreadDestroy(second);
    for (size_t i = 0; i < pseudo.size(); ++i)
        if (i != 99 && i != 4000) ThThreadDestroy(pseudo[i]);
    EXPECT_EQ(capture.Count(kDbgBroken, ""), 0);
}

TEST_F(ThThreadTest, BadRecordsAreReportedNotUsed) {
    ReportCapture capture;
    ThThreadRecord fake{};
    fake.verifier = TQFourCC("Mutx");
    fake.index = 3;
    EXPECT_EQ(ThThreadGetIndex(&fake), kThMaxThreads);
    EXPECT_EQ(capture.Count(kDbgBroken, "bad ThThread in ThThreadGetIndex()"), 1);
    ThThreadDestroy(&fake);
    EXPECT_EQ(capture.Count(kDbgBroken, "threadp does not have correct verifier in ThThreadDestroy"), 1);
    EXPECT_EQ(ThThreadGetPriority(&fake), kThPriorityNormal);
    EXPECT_EQ(ThThreadGetPriority(nullptr), kThPriorityNormal);
    EXPECT_EQ(capture.Count(kDbgBroken, "invalid ThThread passed to ThThreadGetPriority"), 2);
    EXPECT_EQ(ThThreadSetPriority(&fake, kThPriorityHigh), kErrNone);
    EXPECT_EQ(ThThreadSetPriority(nullptr, kThPriorityHigh), kErrNone);
    EXPECT_EQ(capture.Count(kDbgBroken, "bad argument to ThThreadSetPriority()"), 2);
    EXPECT_FALSE(ThThreadActive(&fake));
    EXPECT_EQ(fake.verifier, TQFourCC("Mutx"));
    ThThreadDestroy(nullptr);
    EXPECT_EQ(capture.All().size(), 6u);
}

std::atomic<int32> gSetLevel{-1};
std::atomic<ThThread> gSetThread{nullptr};
void NotePriority(ThThread th, void*, uInt32, int32 level) {
    gSetThread = th;
    gSetLevel = level;
}
void OtherProc(ThThread, void*, uInt32, int32) {}

TEST_F(ThThreadTest, PrioritiesMapThroughTheLevelTable) {
    ReportCapture capture;
    tq::threads::ThThreadService()->Uninit();
    ASSERT_EQ(tq::threads::ThThreadService()->Init(), kErrNone);
    ASSERT_EQ(capture.Count(kDbgNote, "using thread priorities:"), 1);
    const std::string started = capture.All().front().text;
    EXPECT_NE(started.find("\n\tbackground: -15\n\tnormal: 0\n"), std::string::npos) << started;
    EXPECT_NE(started.find("\n\ttime critical: 15"), std::string::npos) << started;
    int32 native[5] = {};
    ThThreadGetNativePriorityInfo(&native[0], &native[1], &native[2], &native[3], nullptr);
    ThThreadGetNativePriorityInfo(nullptr, nullptr, nullptr, nullptr, &native[4]);
    EXPECT_EQ(std::vector<int32>(native, native + 5), (std::vector<int32>{-15, 0, 1, 2, 15}));
    uInt8 distinct[5] = {};
    ThThreadGetPrioInfo(distinct);
    EXPECT_EQ(std::vector<int>(distinct, distinct + 5), (std::vector<int>{1, 1, 1, 1, 1}));

    EXPECT_EQ(tq::threads::PriorityLevelForNative(-15), 0);
    EXPECT_EQ(tq::threads::PriorityLevelForNative(-2), 1);
    EXPECT_EQ(tq::threads::PriorityLevelForNative(1), 2);
    EXPECT_EQ(tq::threads::PriorityLevelForNative(2), 3);
    EXPECT_EQ(tq::threads::PriorityLevelForNative(3), 4);
    EXPECT_EQ(tq::threads::PriorityLevelForNative(99), 4);

    Job job;
    ASSERT_EQ(ThEventCreate(&job.go, 0, 0), kErrNone);
    ThThread th = nullptr;
    ASSERT_EQ(ThThreadCreate(&th, WaitForGo, &job, nullptr), kErrNone);
    EXPECT_EQ(ThThreadGetPriority(th), kThPriorityNormal);

    EXPECT_EQ(ThSetThreadPrioritySetProc(nullptr), 1);
    EXPECT_EQ(ThSetThreadPrioritySetProc(NotePriority), 0);
    EXPECT_EQ(ThSetThreadPrioritySetProc(OtherProc), 1);
    EXPECT_EQ(ThThreadSetPriority(th, kThPriorityBackground), kErrNone);
    EXPECT_EQ(ThThreadGetPriority(th), kThPriorityBackground);
    EXPECT_EQ(gSetLevel.load(), kThPriorityBackground);
    EXPECT_EQ(gSetThread.load(), th);

    gSetLevel = -1;
    EXPECT_EQ(ThThreadSetPriority(th, 5), kErrNone);
    EXPECT_EQ(capture.Count(kDbgBroken, "bad argument to ThThreadSetPriority()"), 1);
    EXPECT_EQ(ThThreadGetPriority(th), kThPriorityBackground);
    EXPECT_EQ(gSetLevel.load(), -1);

    EXPECT_EQ(ThClearThreadPrioritySetProc(OtherProc), 1);
    EXPECT_EQ(capture.Count(kDbgError, "didn't set it!"), 1);
    EXPECT_EQ(ThClearThreadPrioritySetProc(NotePriority), 0);
    EXPECT_EQ(ThClearThreadPrioritySetProc(NotePriority), 1);

    ThEventSignal(job.go);
    ThThreadDestroy(th);
    ThEventDestroy(job.go);
}

TEST(ThLocalStorageTest, EachThreadSeesItsOwnValue) {
    const uInt32 key = ThLocalStorageAllocateKey();
    ASSERT_NE(key, kThNoLocalStorageKey);
    int mine = 1, theirs = 2;
    EXPECT_EQ(ThLocalStorageGetValue(key), nullptr);
    EXPECT_TRUE(ThLocalStorageSetValue(key, &mine));
    std::atomic<void*> seenFirst{&mine}, seenAfter{nullptr};
    std::thread other([&] {
        seenFirst = ThLocalStorageGetValue(key);
        ThLocalStorageSetValue(key, &theirs);
        seenAfter = ThLocalStorageGetValue(key);
    });
    other.join();
    EXPECT_EQ(seenFirst.load(), nullptr);
    EXPECT_EQ(seenAfter.load(), &theirs);
    EXPECT_EQ(ThLocalStorageGetValue(key), &mine);
    EXPECT_TRUE(ThLocalStorageFreeKey(key));

    uInt32 times[2] = {0xFFFFFFFF, 0xFFFFFFFF};
    volatile uInt64 spin = 0;
    for (int i = 0; i < 3000000; ++i) spin = spin + uInt64(i);
    ThGetThreadTime(times);
    EXPECT_GT((uInt64(times[0]) << 32) | times[1], 0u);
    EXPECT_LT(times[0], 0xFFFFu);
}

}  // namespace
