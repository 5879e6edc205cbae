#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/ReportCapture.h"
#include "tqcore/sysinfo.h"
#include "tqcore/threads.h"

namespace {

// An event with a kind and a key; events with equal keys match. Counts its releases to the end.
class TestEvent final : public TQEvent {
  public:
    TestEvent(int32 kind, int32 key, std::atomic<int>* freed) : kind_(kind), key_(key), freed_(freed) {}
    int32 AddRef() override { return refs_.fetch_add(1) + 1; }
    int32 Release() override {
        const int32 left = refs_.fetch_sub(1) - 1;
        if (left == 0) {
            freed_->fetch_add(1);
            if (onFree) onFree();
            delete this;
        }
        return left;
    }
    void WriteToDebugStream(DebugStream& s) const override {
        s.Append(("event " + std::to_string(key_)).c_str());
    }
    int32 Kind() const override { return kind_; }
    bool Matches(const TQEvent* other) const override {
        return other && static_cast<const TestEvent*>(other)->key_ == key_;
    }
    int32 Key() const { return key_; }

    std::function<void()> onFree;

  private:
    ~TestEvent() override = default;
    int32 kind_;
    int32 key_;
    std::atomic<int>* freed_;
    std::atomic<int32> refs_{1};
};

int32 KeyOf(const TQEvent* e) {
    return static_cast<const TestEvent*>(e)->Key();
}

// Records what it handles and what it is handed later; its answer can be set per event.
class TestTarget final : public TQEventTargetBase {
  public:
    ~TestTarget() override = default;
    int32 HandleEvent(TQEvent* e, void* context) override {
        lastContext = context;
        const int32 a = Answer(e);
        if (a == kTQEventHandled) handled.push_back(KeyOf(e));
        return a;
    }
    int32 Disposition(const TQEvent* e) override { return Answer(e); }
    void DeliverLater(TQEvent* e) override {
        later.push_back(KeyOf(e));
        if (onLater) onLater(e);
    }

    std::function<int32(const TQEvent*)> answer;
    std::function<void(TQEvent*)> onLater;
    std::vector<int32> handled;
    std::vector<int32> later;
    void* lastContext = nullptr;

  private:
    int32 Answer(const TQEvent* e) const { return answer ? answer(e) : kTQEventHandled; }
};

class EventQueueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        queue_ = CreateTQEventQueue(nullptr, 0);
        ASSERT_NE(queue_, nullptr);
        ASSERT_EQ(queue_->Init(), kErrNone);
    }
    void TearDown() override {
        if (queue_) {
            queue_->Uninit();
            queue_->Destroy();
        }
        EXPECT_EQ(freed_.load(), made_) << "every event is released once";
    }
    TestEvent* Make(int32 key, int32 kind = 1) {
        ++made_;
        return new TestEvent(kind, key, &freed_);
    }
    std::string Describe() {
        DebugStream s("test", 0, "", kDbgNote);
        ToDebugStream(s, queue_);
        return s.Text();
    }

    TQEventQueue* queue_ = nullptr;
    std::atomic<int> freed_{0};
    int made_ = 0;
};

TEST_F(EventQueueTest, AQueueNeverInitialisedRefusesAndLeavesTheEventToTheCaller) {
    TQEventQueue* q = CreateTQEventQueue(nullptr, 0);
    TestTarget target;
    TestEvent* e = Make(1);
    EXPECT_EQ(q->Post(&target, e, false, nullptr), kErrQueueClosed);
    EXPECT_EQ(freed_, 0);
    EXPECT_FALSE(q->SetAccepting(true));
    EXPECT_FALSE(q->IsAccepting());
    EXPECT_EQ(q->Process(0, nullptr, 0), 0);
    e->Release();
    q->Destroy();
    // The event refused for a null target is the caller's too.
    TestEvent* orphan = Make(2);
    EXPECT_EQ(queue_->Post(nullptr, orphan, true, nullptr), kErrArgument);
    EXPECT_EQ(freed_, 1);
    orphan->Release();
}

TEST_F(EventQueueTest, AtTheMaximumAPostReleasesItsEvent) {
    TQEventQueue* q = CreateTQEventQueue(nullptr, 2);
    ASSERT_EQ(q->Init(), kErrNone);
    EXPECT_EQ(q->MaxEntries(), 2);
    TestTarget target;
    EXPECT_EQ(q->Post(&target, Make(1), true, nullptr), kErrNone);
    EXPECT_EQ(q->Post(&target, Make(2), true, nullptr), kErrNone);
    EXPECT_EQ(q->Post(&target, Make(3), true, nullptr), kErrMemoryFull);
    EXPECT_EQ(freed_, 1);
    // Full is reported before closed.
    q->SetAccepting(false);
    EXPECT_EQ(q->Post(&target, Make(4), true, nullptr), kErrMemoryFull);
    EXPECT_EQ(freed_, 2);
    EXPECT_EQ(q->Count(), 2);
    q->Uninit();
    EXPECT_EQ(freed_, 4);
    q->Destroy();
}

TEST_F(EventQueueTest, MatchingPostsCoalesceByPolicy) {
    TestTarget a, b;
    EXPECT_EQ(queue_->Post(&a, Make(7), false, nullptr), kErrNone);
    EXPECT_EQ(queue_->Post(&a, Make(7), false, nullptr), 1);  // kept: the new one goes
    EXPECT_EQ(freed_, 1);
    EXPECT_EQ(queue_->Post(&b, Make(7), false, nullptr), kErrNone);  // another target
    EXPECT_EQ(queue_->Post(&a, Make(8), false, nullptr), kErrNone);  // no match
    EXPECT_EQ(queue_->Post(&a, Make(7), true, nullptr), kErrNone);   // appended regardless
    EXPECT_EQ(queue_->Count(), 4);

    ReplaceExistingEventPolicy replace;
    TestEvent* newer = Make(8);
    EXPECT_EQ(queue_->Post(&a, newer, false, &replace), 1);
    EXPECT_EQ(freed_, 2);
    DropBothEventsPolicy drop;
    EXPECT_EQ(queue_->Post(&b, Make(7), false, &drop), 1);
    EXPECT_EQ(freed_, 4);
    EXPECT_EQ(queue_->Count(), 3);
    EXPECT_NE(Describe().find("handled 1"), std::string::npos) << Describe();

    EXPECT_EQ(queue_->Process(0, nullptr, 0), 3);
    EXPECT_EQ(a.handled, (std::vector<int32>{7, 8, 7}));
    EXPECT_TRUE(b.handled.empty());
}

TEST_F(EventQueueTest, TheQueuesOwnPolicyAppliesWhenPostGivesNone) {
    DropBothEventsPolicy drop;
    TQEventQueue* q = CreateTQEventQueue(&drop, 0);
    ASSERT_EQ(q->Init(), kErrNone);
    TestTarget target;
    EXPECT_EQ(q->Post(&target, Make(1), false, nullptr), kErrNone);
    EXPECT_EQ(q->Post(&target, Make(1), false, nullptr), 1);
    EXPECT_EQ(q->Count(), 0);
    KeepExistingEventPolicy keep;
    EXPECT_EQ(q->Post(&target, Make(2), false, nullptr), kErrNone);
    EXPECT_EQ(q->Post(&target, Make(2), false, &keep), 1);
    EXPECT_EQ(q->Count(), 1);
    q->Uninit();
    q->Destroy();
}

TEST_F(EventQueueTest, ProcessOffersEntriesInOrderWithinItsBudget) {
    TestTarget target;
    for (int32 k = 1; k <= 3; ++k) queue_->Post(&target, Make(k), true, nullptr);
    int context = 0;
    EXPECT_EQ(queue_->Process(1, &context, 0), 1);
    EXPECT_EQ(target.lastContext, &context);
    EXPECT_EQ(queue_->Count(), 2);
    EXPECT_EQ(target.handled, (std::vector<int32>{1}));
    EXPECT_EQ(queue_->Process(0, nullptr, 0), 2);
    EXPECT_EQ(target.handled, (std::vector<int32>{1, 2, 3}));
    EXPECT_EQ(queue_->Process(0, nullptr, 0), 0);
}

TEST_F(EventQueueTest, NotNowKeepsAnEntryInPlaceAndDeferredOnesGoOutsideTheLock) {
    TestTarget target;
    target.answer = [](const TQEvent* e) {
        switch (KeyOf(e)) {
            case 1:
                return kTQEventNotNow;
            case 2:
                return kTQEventDeliverLater;
            default:
                return kTQEventHandled;
        }
    };
    for (int32 k = 1; k <= 3; ++k) queue_->Post(&target, Make(k), true, nullptr);
    EXPECT_TRUE(queue_->WouldDefer());
    // Pass one defers 2 and handles 3; pass two defers nothing, so it stops with 1 still queued.
    EXPECT_EQ(queue_->Process(0, nullptr, 0), 2);
    EXPECT_EQ(target.handled, (std::vector<int32>{3}));
    EXPECT_EQ(target.later, (std::vector<int32>{2}));
    EXPECT_EQ(queue_->Count(), 1);
    EXPECT_FALSE(queue_->WouldDefer());
    EXPECT_NE(Describe().find("handled 1, deferred 1"), std::string::npos) << Describe();
}

TEST_F(EventQueueTest, ATargetThatPostsFromDeliverLaterAndReleasesThatPostDoNotDeadlock) {
    TestTarget target;
    target.answer = [](const TQEvent*) { return kTQEventDeliverLater; };
    target.onLater = [&](TQEvent* e) {
        EXPECT_EQ(queue_->Post(&target, Make(KeyOf(e) + 10), true, nullptr), kErrNone);
    };
    for (int32 k = 1; k <= 3; ++k) {
        TestEvent* e = Make(k);
        // The queue's last release of this event posts too.
        e->onFree = [this, &target] { queue_->Post(&target, Make(100), true, nullptr); };
        queue_->Post(&target, e, true, nullptr);
    }
    // The budget is the three entries queued on entry, deferred ones included.
    EXPECT_EQ(queue_->Process(0, nullptr, 0), 3);
    EXPECT_EQ(target.later, (std::vector<int32>{1, 2, 3}));
    EXPECT_EQ(queue_->Count(), 6);
}

TEST_F(EventQueueTest, DeferringAnEntryWithoutAnEventIsReportedAndDropsIt) {
    ReportCapture capture;
    TestTarget target;
    target.answer = [](const TQEvent* e) { return e ? kTQEventHandled : kTQEventDeliverLater; };
    EXPECT_EQ(queue_->Post(&target, nullptr, true, nullptr), kErrNone);
    queue_->Post(&target, Make(1), true, nullptr);
    EXPECT_EQ(queue_->Process(0, nullptr, 0), 1);
    EXPECT_EQ(capture.Count(kDbgFatal, "Bad event queue element"), 1);
    EXPECT_TRUE(target.later.empty());
    EXPECT_EQ(queue_->Count(), 0);
}

TEST_F(EventQueueTest, ATimeLimitEndsTheProcessingAfterThePassThatCrossesIt) {
    TestTarget target;
    target.answer = [](const TQEvent* e) { return KeyOf(e) == 0 ? kTQEventDeliverLater : kTQEventNotNow; };
    target.onLater = [&](TQEvent*) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        queue_->Post(&target, Make(0), true, nullptr);
    };
    queue_->Post(&target, Make(0), true, nullptr);
    for (int32 k = 1; k < 10; ++k) queue_->Post(&target, Make(k), true, nullptr);
    // Each pass defers one entry and takes at least 20 ms, so the ten the budget allows take 200 ms or more.
    const int32 done = queue_->Process(0, nullptr, 50);
    EXPECT_GE(done, 1);
    EXPECT_LT(done, 10);
}

TEST_F(EventQueueTest, PurgeHelpersRemoveWhatTheySelect) {
    TestTarget a, b;
    queue_->Post(&a, Make(1, 10), true, nullptr);
    queue_->Post(&a, Make(2, 20), true, nullptr);
    queue_->Post(&b, Make(1, 10), true, nullptr);
    queue_->Post(&b, Make(3, 20), true, nullptr);
    queue_->Post(&b, Make(4, 30), true, nullptr);
    EXPECT_EQ(PurgeEventsOfKind(queue_, 20), 2);
    EXPECT_EQ(freed_, 2);
    TestEvent* probe = Make(1);
    EXPECT_EQ(PurgeSpecificEvent(queue_, &b, probe), 1);
    EXPECT_EQ(queue_->Count(), 2);
    EXPECT_EQ(PurgeSpecificEvent(queue_, nullptr, probe), 1);
    probe->Release();
    EXPECT_EQ(PurgeEventsForTarget(queue_, &a), 0);
    EXPECT_EQ(PurgeEventsForTarget(queue_, &b), 1);
    EXPECT_EQ(queue_->Count(), 0);
    EXPECT_EQ(PurgeEventsOfKind(nullptr, 10), 0);
}

TEST_F(EventQueueTest, ClosingStopsPostsAndProcessingAndUninitReleasesEverything) {
    TestTarget target;
    queue_->Post(&target, Make(1), true, nullptr);
    EXPECT_TRUE(queue_->SetAccepting(false));
    EXPECT_FALSE(queue_->IsAccepting());
    TestEvent* refused = Make(2);
    EXPECT_EQ(queue_->Post(&target, refused, true, nullptr), kErrQueueClosed);
    refused->Release();
    EXPECT_EQ(queue_->Process(0, nullptr, 0), 0);
    EXPECT_FALSE(queue_->SetAccepting(true));
    EXPECT_EQ(queue_->Process(0, nullptr, 0), 1);
    queue_->Post(&target, Make(3), true, nullptr);
    EXPECT_EQ(queue_->Uninit(), kErrNone);
    EXPECT_EQ(queue_->Count(), 0);
    EXPECT_FALSE(queue_->SetAccepting(true));
    EXPECT_FALSE(queue_->IsAccepting());
}

TEST_F(EventQueueTest, DestroyingAnInitialisedQueueIsReportedAndReleasesItsEvents) {
    ReportCapture capture;
    TestTarget target;
    queue_->Post(&target, Make(1), true, nullptr);
    queue_->Destroy();
    queue_ = nullptr;
    EXPECT_EQ(
        capture.Count(kDbgBroken,
                      "Assertion failed: Attempting to destroy a queue that has not been uninitialized!"),
        1);
}

TEST_F(EventQueueTest, ItDescribesItself) {
    TestTarget target;
    queue_->Post(&target, Make(5), true, nullptr);
    const std::string text = Describe();
    EXPECT_NE(text.find("entries 1"), std::string::npos) << text;
    EXPECT_NE(text.find("event 5"), std::string::npos) << text;
    DebugStream s("test", 0, "", kDbgNote);
    ToDebugStream(s, static_cast<const TQEventQueue*>(nullptr));
    EXPECT_STREQ(s.Text(), "<invalid TQEventQueue object>");
}

TEST_F(EventQueueTest, ManyProducersOneConsumerLoseNothing) {
    constexpr int kProducers = 4;
    constexpr int kEach = 2000;
    TestTarget target;
    std::vector<std::thread> producers;
    made_ += kProducers * kEach;
    for (int p = 0; p < kProducers; ++p)
        producers.emplace_back([&, p] {
            for (int i = 0; i < kEach; ++i) {
                EXPECT_EQ(
                    queue_->Post(&target, new TestEvent(1, p * kEach + i, &freed_), i % 2 == 0, nullptr),
                    kErrNone);
            }
        });
    int handled = 0;
    while (handled < kProducers * kEach) handled += queue_->Process(0, nullptr, 0);
    for (std::thread& t : producers) t.join();
    EXPECT_EQ(handled, kProducers * kEach);
    std::vector<bool> seen(kProducers * kEach);
    for (int32 k : target.handled) {
        EXPECT_FALSE(seen[size_t(k)]);
        seen[size_t(k)] = true;
    }
}

}  // namespace
