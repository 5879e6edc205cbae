// TQEventQueue: posting with coalescing, purging, and processing with its budget and deferrals.
#include <atomic>
#include <new>
#include <vector>

#include "diagnostics/Report.h"
#include "occurrences/EventRing.h"
#include "threads/ThMutexHold.h"
#include "tqcore/clocks.h"
#include "tqcore/threads.h"

#define TQ_UNIT "source\\TQEventQueue"

namespace {

using Hold = tq::threads::ThMutexHold;
using tq::occurrences::SweepAnswer;

struct Entry {
    TQEventTarget* target;
    TQEvent* event;
};

void ReleaseEvent(TQEvent* event) {
    if (event) event->Release();
}

// Events leave the queue under its lock and are released after it: a release may run host code that posts.
void ReleaseAll(std::vector<TQEvent*>& events) {
    for (TQEvent* e : events) ReleaseEvent(e);
    events.clear();
}

KeepExistingEventPolicy gKeepExisting;

class EventQueue final : public TQEventQueue {
  public:
    EventQueue(TQEventCoalescePolicy* policy, int32 maxEntries)
        : max_(maxEntries > 0 ? maxEntries : 0), policy_(policy) {
        status_ = ThMutexCreate(&mutex_, "TQEventQueueRights");
    }

    TqErr Init() override {
        Hold lock(mutex_);
        if (status_ != kErrNone) return status_;
        initialised_ = accepting_ = true;
        deferred_ = handled_ = 0;
        return kErrNone;
    }

    TqErr Uninit() override {
        std::vector<TQEvent*> released;
        {
            Hold lock(mutex_);
            accepting_ = false;
            for (size_t i = 0; i < entries_.Size(); ++i) released.push_back(entries_[i].event);
            entries_.Clear();
            initialised_ = false;
        }
        ReleaseAll(released);
        return kErrNone;
    }

    void Destroy() override {
        if (initialised_)
            TQ_REPORT(kDbgBroken,
                      "Assertion failed: Attempting to destroy a queue that has not been uninitialized!");
        ThMutexDestroy(mutex_);
        mutex_ = nullptr;
        delete this;
    }

    bool IsAccepting() override {
        Hold lock(mutex_);
        return accepting_;
    }

    bool SetAccepting(bool accepting) override {
        Hold lock(mutex_);
        const bool previous = accepting_;
        if (initialised_) accepting_ = accepting;
        return previous;
    }

    TqErr Post(TQEventTarget* target, TQEvent* event, bool append, TQEventCoalescePolicy* policy) override {
        if (!target) return kErrArgument;
        ThMutexAcquire(mutex_);
        // The common post, an append to an open queue with room, keeps to this short path.
        if (append && initialised_ && accepting_ && !Full() && entries_.PushBack({target, event})) {
            ThMutexRelease(mutex_);
            return kErrNone;
        }
        return PostUnderLock(target, event, append, policy);
    }

    int32 Purge(TQEventPurgePredicate predicate, void* arg) override {
        if (!predicate) return 0;
        std::vector<TQEvent*> released;
        {
            Hold lock(mutex_);
            entries_.Sweep([&](Entry& e) {
                if (!predicate(e.target, e.event, arg)) return SweepAnswer::kKeep;
                released.push_back(e.event);
                return SweepAnswer::kRemove;
            });
        }
        const auto purged = int32(released.size());
        ReleaseAll(released);
        return purged;
    }

    int32 Count() override {
        Hold lock(mutex_);
        return int32(entries_.Size());
    }

    int32 MaxEntries() override { return max_; }

    bool WouldDefer() override {
        Hold lock(mutex_);
        for (size_t i = 0; i < entries_.Size(); ++i)
            if (entries_[i].target->Disposition(entries_[i].event) == kTQEventDeliverLater) return true;
        return false;
    }

    int32 Process(int32 maxEvents, void* context, int32 timeLimitMs) override {
        const uInt32 start = timeLimitMs > 0 ? MilliSecs() : 0;
        Scratch local;
        // The usual single processing thread reuses the queue's own buffers.
        const bool own = !scratchBusy_.exchange(true, std::memory_order_acquire);
        Scratch& scratch = own ? scratch_ : local;
        Budget b = {maxEvents, -1, 0, 0};
        while (b.limit < 0 || b.handled + b.deferred < b.limit) {
            Pass(context, b, scratch);
            const bool deferredSome = !scratch.later.empty();
            for (const Entry& e : scratch.later) {
                e.target->DeliverLater(e.event);
                e.event->Release();
            }
            scratch.later.clear();
            ReleaseAll(scratch.released);
            if (!deferredSome) break;
            if (timeLimitMs > 0 && MillisecCmp(MilliSecs(), start + uInt32(timeLimitMs)) >= 0) break;
        }
        if (own) scratchBusy_.store(false, std::memory_order_release);
        return b.handled + b.deferred;
    }

    void ToDebugStream(DebugStream& s) const override {
        Hold lock(mutex_);
        ::ToDebugStream(s, "TQEventQueue: entries ");
        ::ToDebugStream(s, int32(entries_.Size()));
        ::ToDebugStream(s, ", max ");
        ::ToDebugStream(s, max_);
        ::ToDebugStream(s, initialised_ ? ", initialised" : ", not initialised");
        ::ToDebugStream(s, accepting_ ? ", accepting" : ", not accepting");
        ::ToDebugStream(s, ", handled ");
        ::ToDebugStream(s, handled_);
        ::ToDebugStream(s, ", deferred ");
        ::ToDebugStream(s, deferred_);
        for (size_t i = 0; i < entries_.Size(); ++i) {
            const Entry& e = entries_[i];
            ::ToDebugStream(s, "\n  target ");
            ::ToDebugStream(s, static_cast<const TQUnknown*>(e.target));
            ::ToDebugStream(s, ", event ");
            ::ToDebugStream(s, static_cast<const TQUnknown*>(e.event));
        }
    }

  protected:
    ~EventQueue() override {
        for (size_t i = 0; i < entries_.Size(); ++i) ReleaseEvent(entries_[i].event);
    }

  private:
    bool Full() const { return max_ > 0 && int32(entries_.Size()) >= max_; }

    // Every other post, entered holding the lock, which it releases before releasing any event.
    __attribute__((noinline)) TqErr PostUnderLock(TQEventTarget* target, TQEvent* event, bool append,
                                                  TQEventCoalescePolicy* policy) {
        TQEvent* released[2] = {nullptr, nullptr};
        TqErr result = kErrNone;
        if (Full()) {
            released[0] = event;
            result = kErrMemoryFull;
        } else if (!initialised_ || !accepting_) {
            result = kErrQueueClosed;
        } else if (append || !Coalesce(target, event, policy, released)) {
            // No room to grow is the maximum reached by other means.
            if (!entries_.PushBack({target, event})) {
                released[0] = event;
                result = kErrMemoryFull;
            }
        } else {
            result = 1;
        }
        ThMutexRelease(mutex_);
        ReleaseEvent(released[0]);
        ReleaseEvent(released[1]);
        return result;
    }

    // Under the lock: resolves event against the first matching entry of target; false when none matches.
    bool Coalesce(TQEventTarget* target, TQEvent* event, TQEventCoalescePolicy* policy,
                  TQEvent* (&released)[2]) {
        if (!event) return false;
        for (size_t i = 0; i < entries_.Size(); ++i) {
            Entry& e = entries_[i];
            if (e.target != target || !e.event || !e.event->Matches(event)) continue;
            TQEventCoalescePolicy* p = policy ? policy : policy_ ? policy_ : &gKeepExisting;
            switch (p->Resolve(target, e.event)) {
                case kTQReplaceQueuedEvent:
                    released[0] = e.event;
                    e.event = event;
                    break;
                case kTQDropBothEvents:
                    released[0] = e.event;
                    released[1] = event;
                    entries_.Erase(i);
                    ++handled_;
                    break;
                default:
                    released[0] = event;
                    break;
            }
            return true;
        }
        return false;
    }

    struct Scratch {
        std::vector<TQEvent*> released;
        std::vector<Entry> later;
    };

    // This call's budget: the entries queued when its first pass begins, at most maxEvents when that is
    // positive; handled plus deferred never exceed it.
    struct Budget {
        int32 maxEvents;
        int32 limit;
        int32 handled;
        int32 deferred;
    };

    // One pass under the lock: offers entries in order while the budget lasts; the queue's counters
    // accumulate as it goes.
    void Pass(void* context, Budget& b, Scratch& scratch) {
        Hold lock(mutex_);
        if (b.limit < 0) {
            b.limit = int32(entries_.Size());
            if (b.maxEvents > 0 && b.maxEvents < b.limit) b.limit = b.maxEvents;
        }
        if (!initialised_ || !accepting_) return;
        entries_.Sweep([&](const Entry& e) {
            if (b.handled + b.deferred >= b.limit) return SweepAnswer::kStop;
            const int32 answer = e.target->HandleEvent(e.event, context);
            if (answer == kTQEventHandled) {
                scratch.released.push_back(e.event);
                ++b.handled;
                ++handled_;
            } else if (answer == kTQEventDeliverLater) {
                if (e.event) {
                    scratch.later.push_back(e);
                    ++b.deferred;
                    ++deferred_;
                } else {
                    TQ_REPORT(kDbgFatal, "Bad event queue element");
                }
            } else {
                return SweepAnswer::kKeep;
            }
            return SweepAnswer::kRemove;
        });
    }

    ThMutex mutex_ = nullptr;  // "TQEventQueueRights"
    bool initialised_ = false;
    bool accepting_ = false;
    tq::occurrences::EventRing<Entry> entries_;
    int32 max_;
    TQEventCoalescePolicy* policy_;
    TqErr status_;
    uInt32 deferred_ = 0;
    uInt32 handled_ = 0;  // also counts entries dropped by coalescing
    std::atomic<bool> scratchBusy_{false};
    Scratch scratch_;
};

}  // namespace

TQEventQueue::~TQEventQueue() = default;

void ToDebugStream(DebugStream& stream, const TQEventQueue* queue) {
    if (queue)
        queue->ToDebugStream(stream);
    else
        stream.Append("<invalid TQEventQueue object>");
}

TQEventQueue* CreateTQEventQueue(TQEventCoalescePolicy* policy, int32 maxEntries) {
    try {
        return new EventQueue(policy, maxEntries);
    } catch (...) {
        return nullptr;
    }
}
