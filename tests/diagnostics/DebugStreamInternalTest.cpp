#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "diagnostics/DebugStreamPool.h"
#include "diagnostics/Services.h"
#include "support/ReportCapture.h"
#include "tqcore/diagnostics.h"

namespace {

class DebugStreamTest : public ReportCaptureTest {};

// Runs the pool service for one test.
class DebugStreamPoolTest : public ReportCaptureTest {
  protected:
    void SetUp() override {
        ReportCaptureTest::SetUp();
        ASSERT_EQ(tq::diagnostics::DebugStreamService()->Init(), kErrNone);
    }
    void TearDown() override {
        tq::diagnostics::DebugStreamService()->Uninit();
        ReportCaptureTest::TearDown();
    }
};

TEST_F(DebugStreamTest, AppendFormsStopAtCapacityAndStayTerminated) {
    DebugStream s("unit", 1, "r", kDbgNote);
    const std::string chunk(3000, 'x');
    s.Append(chunk.c_str());
    EXPECT_EQ(std::string(s.Text()), std::string(2047, 'x'));
    s.Append('y');
    s.Append("more");
    EXPECT_EQ(std::string(s.Text()).size(), 2047u);

    DebugStream pieces("unit", 1, "r", kDbgNote);
    const std::string big(1000, 'a');
    for (int i = 0; i < 3; ++i) pieces.Append(big.data(), big.data() + big.size());
    EXPECT_EQ(std::string(pieces.Text()).size(), 2047u);
    // Ranges, single characters and null texts.
    DebugStream forms("unit", 1, "r", kDbgNote);
    const char range[] = "abcdef";
    forms.Append(range + 1, range + 4);
    forms.Append(nullptr);
    forms.Append('-');
    forms.Append(range + 4, range + 2);
    forms.Append(nullptr, range);
    forms.Append("tail");
    EXPECT_STREQ(forms.Text(), "bcd-tail");
}

TEST_F(DebugStreamTest, ProcessDeliversOnceWithEveryField) {
    DebugStream s("source\\Unit", 77, "rev9", kDbgBroken);
    s.SetSiteId(0xABCD);
    ToDebugStream(s, "value=");
    ToDebugStream(s, int32(-5));
    s.Process();
    s.Append("after");
    s.Process();
    ASSERT_EQ(Messages().size(), 1u);
    const auto& m = Messages()[0];
    EXPECT_EQ(m.file, "source\\Unit");
    EXPECT_EQ(m.line, 77);
    EXPECT_EQ(m.level, kDbgBroken);
    EXPECT_EQ(m.site, 0xABCDu);
    EXPECT_EQ(m.text, "value=-5");
    EXPECT_STREQ(s.Text(), "");
}

TEST_F(DebugStreamTest, HandlerReplacesCountersAndDefaultOnlyCounts) {
    for (DebugOutputLevel level = kDbgNote; level <= kDbgFatal; ++level) {
        DebugStream s("unit", 1, "r", level);
        s.Process();
    }
    EXPECT_EQ(Messages().size(), 5u);
    for (DebugOutputLevel level = kDbgNote; level <= kDbgFatal; ++level)
        EXPECT_EQ(DebugOutputGetNumEvents(level), 0);
    EXPECT_EQ(DebugOutputGetHandler(), &ReportCapture::Handle);

    DebugOutputSetHandler(nullptr);
    DebugStream warn("unit", 1, "r", kDbgError);
    warn.Append("quiet");
    warn.Process();
    DebugOutputCallHandler("unit", 2, "r", kDbgError, 0, "direct");
    EXPECT_EQ(DebugOutputGetNumEvents(kDbgError), 2);
    for (DebugOutputLevel other : {kDbgNote, kDbgWarn, kDbgBroken, kDbgFatal})
        EXPECT_EQ(DebugOutputGetNumEvents(other), 0);
    // Without a debugger a level-3 message is counted and the process goes on.
    DebugOutputCallHandler("unit", 3, "r", kDbgBroken, 0, "broken but alive");
    EXPECT_EQ(DebugOutputGetNumEvents(kDbgBroken), 1);
    EXPECT_EQ(Messages().size(), 5u);

    DebugOutputIncrementEventCount(9);
    DebugOutputIncrementEventCount(-1);
    EXPECT_EQ(DebugOutputGetNumEvents(9), 0);
    DebugOutputResetNumEvents();
    EXPECT_EQ(DebugOutputGetNumEvents(kDbgError), 0);
}

TEST_F(DebugStreamPoolTest, FourPoolBuffersThenHeapWithFailuresCounted) {
    std::vector<std::unique_ptr<DebugStream>> held;
    for (int i = 0; i < 4; ++i) {
        held.push_back(std::make_unique<DebugStream>("unit", i, "r", kDbgNote));
        EXPECT_TRUE(held.back()->UsesPoolBuffer()) << i;
    }
    for (int i = 0; i < 105; ++i) {
        DebugStream extra("unit", 9, "r", kDbgNote);
        ASSERT_FALSE(extra.UsesPoolBuffer());
        extra.Append("heap");
        extra.Process();
    }
    EXPECT_EQ(tq::diagnostics::DebugStreamFailedCheckouts(), 105);
    EXPECT_EQ(tq::diagnostics::DebugStreamRecordedFailureStacks(), 100);
    StackChainFS<16> stack;
    ASSERT_TRUE(tq::diagnostics::DebugStreamFailureStack(99, &stack));
    EXPECT_GT(stack.Count(), 0);
    EXPECT_FALSE(tq::diagnostics::DebugStreamFailureStack(100, &stack));
    EXPECT_FALSE(tq::diagnostics::DebugStreamFailureStack(-1, &stack));
    held[2]->Process();
    DebugStream reused("unit", 1, "r", kDbgNote);
    EXPECT_TRUE(reused.UsesPoolBuffer()) << "processing returns the buffer";
    held.clear();
    DebugStream afterDestroy("unit", 1, "r", kDbgNote);
    EXPECT_TRUE(afterDestroy.UsesPoolBuffer()) << "destroying an unprocessed stream returns it too";
    EXPECT_EQ(Messages().size(), 106u);
}

// A reusable meeting point for n threads. std::barrier is not used: the MinGW runtime's atomic waits can
// miss a wake-up and leave a thread waiting for ever.
class Rendezvous {
  public:
    explicit Rendezvous(int n) : n_(n) {}
    void arrive_and_wait() {
        std::unique_lock lock(m_);
        const int generation = generation_;
        if (++arrived_ == n_) {
            arrived_ = 0;
            ++generation_;
            cv_.notify_all();
            return;
        }
        cv_.wait(lock, [&] { return generation_ != generation; });
    }

  private:
    std::mutex m_;
    std::condition_variable cv_;
    const int n_;
    int arrived_ = 0;
    int generation_ = 0;
};

TEST_F(DebugStreamPoolTest, FiveStreamsAtOnceOnFiveThreads) {
    constexpr int kThreads = 5;
    Rendezvous built(kThreads);
    std::atomic<int> pooled{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            DebugStream s("unit", t, "r", kDbgNote);
            built.arrive_and_wait();
            if (s.UsesPoolBuffer()) ++pooled;
            ToDebugStream(s, "thread ");
            ToDebugStream(s, int32(t));
            built.arrive_and_wait();
            s.Process();
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(pooled.load(), 4);
    EXPECT_EQ(tq::diagnostics::DebugStreamFailedCheckouts(), 1);
    EXPECT_EQ(tq::diagnostics::DebugStreamRecordedFailureStacks(), 1);
    ASSERT_EQ(Messages().size(), size_t(kThreads));
    for (const auto& m : Messages()) EXPECT_EQ(m.text, "thread " + std::to_string(m.line));
}

TEST_F(DebugStreamPoolTest, RestartedServiceStartsItsCountsAfresh) {
    {
        std::vector<std::unique_ptr<DebugStream>> held;
        for (int i = 0; i < 5; ++i) held.push_back(std::make_unique<DebugStream>("unit", i, "r", kDbgNote));
    }
    EXPECT_EQ(tq::diagnostics::DebugStreamFailedCheckouts(), 1);
    tq::diagnostics::DebugStreamService()->Uninit();
    EXPECT_EQ(tq::diagnostics::DebugStreamFailedCheckouts(), 0);
    DebugStream stopped("unit", 1, "r", kDbgNote);
    EXPECT_FALSE(stopped.UsesPoolBuffer());
    ASSERT_EQ(tq::diagnostics::DebugStreamService()->Init(), kErrNone);
    EXPECT_EQ(tq::diagnostics::DebugStreamFailedCheckouts(), 0);
}

void ProcessFatal() {
    DebugStream s("unit", 1, "r", kDbgFatal);
    s.Append("fatal");
    s.Process();
}

void CountingHandler(const char*, int32, const char*, DebugOutputLevel, uInt32, const char* message) {
    std::fprintf(stderr, "handled: %s\n", message);
}

TEST(DebugStreamDeathTest, FatalEndsTheProcessOnlyWithoutHandler) {
    DebugOutputSetHandler(nullptr);
    EXPECT_EXIT(ProcessFatal(), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(
        {
            DebugOutputSetHandler(CountingHandler);
            ProcessFatal();
            std::fprintf(stderr, "went on\n");
            std::exit(DebugOutputGetNumEvents(kDbgFatal) == 0 ? 7 : 8);
        },
        ::testing::ExitedWithCode(7), "went on");
    EXPECT_EXIT(DebugOutputCoreDie(), ::testing::ExitedWithCode(1), "");
}

}  // namespace
