// Portable code, despite the name: the platform event of the Windows design, over platform/Event.h.
#include <atomic>
#include <new>

#include "platform/Event.h"
#include "threads/PlatformEvent.h"
#include "tqcore/clocks.h"

namespace tq::threads {

namespace {
// Bit 0 of the state word set means "not signalled". The native event only wakes sleepers; the state
// word decides who gets the signal, so spurious native wake-ups are harmless.
constexpr uInt32 kUnsignalled = 1;

// The remaining time before deadline, or 0 when it has passed; -1 means no deadline.
int32 Remaining(bool forever, uInt32 deadline) {
    if (forever) return -1;
    const int32 left = MillisecCmp(deadline, MilliSecs());
    return left < 1 ? 0 : left;
}

class PlatformEventMSWin final : public PlatformEvent {
  public:
    ~PlatformEventMSWin() override { Destroy(); }

    TqErr Create(bool initiallySignalled) override {
        state_.store(initiallySignalled ? 0 : kUnsignalled);
        waiters_.store(0);
        native_ = platform::NewEvent(initiallySignalled);
        return native_ ? kErrNone : kErrMemoryFull;
    }

    TqErr Destroy() override {
        platform::NativeEvent* n = native_;
        native_ = nullptr;
        return platform::DeleteEvent(n) ? kErrNone : kErrGeneric;
    }

    int32 Signal() override {
        // Signalling a signalled event changes nothing, as for any auto-reset event: the signal already
        // pending has woken, or will wake, a waiter. A producer that signals after every post thus spares
        // itself the locked write and the native set while its consumer is still waking.
        const bool wasUnsignalled = (state_.load() & kUnsignalled) != 0;
        if (wasUnsignalled) state_.fetch_and(~kUnsignalled);
        if (waiters_.load() <= 0) return 0;
        if (wasUnsignalled) platform::SignalEvent(native_);
        return 1;
    }

    int32 TryWait() override { return (state_.fetch_or(kUnsignalled) & kUnsignalled) == 0 ? 1 : 0; }

    int32 Wait(int32 timeoutMs) override {
        const bool forever = timeoutMs < 0;
        // An endless wait needs no clock reading.
        const uInt32 deadline = forever ? 0 : MilliSecs() + uInt32(timeoutMs);
        waiters_.fetch_add(1);
        int32 result = kEventTimedOut;
        for (bool timedOut = false;;) {
            if (TryWait()) {
                result = kEventSignalled;
                break;
            }
            if (timedOut) break;
            const int32 left = Remaining(forever, deadline);
            // A failed native wait is simply retried; the state word is tested first each time.
            timedOut = left == 0 || platform::WaitEvent(native_, left) == platform::WaitResult::kTimeout;
        }
        waiters_.fetch_sub(1);
        return result;
    }

    int32 WaitWithPump(PlatformPumpProc, void*, int32) override { return kEventFailed; }

    int32 WaitMultiple(PlatformEvent* other, bool pumpMessages, int32 timeoutMs, bool* messageArrived,
                       bool* otherSignalled) override {
        auto* peer = static_cast<PlatformEventMSWin*>(other);
        if (messageArrived) *messageArrived = false;
        if (otherSignalled) *otherSignalled = false;
        const bool forever = timeoutMs < 0;
        const uInt32 deadline = MilliSecs() + uInt32(forever ? 0 : timeoutMs);
        Enlist(1, peer);
        const int32 result =
            WaitEither(peer, pumpMessages, forever, deadline, messageArrived, otherSignalled);
        Enlist(-1, peer);
        return result;
    }

    void GetLatencyStats(uInt32* count, _HRTime* total, _HRTime* reserved, _HRTime* min,
                         _HRTime* max) override {
        for (_HRTime* p : {total, reserved, min, max}) HRTimeZero(p);
        if (count) *count = 0;
    }

  private:
    void Enlist(int32 delta, PlatformEventMSWin* peer) {
        waiters_.fetch_add(delta);
        if (peer) peer->waiters_.fetch_add(delta);
    }

    int32 WaitEither(PlatformEventMSWin* peer, bool pumpMessages, bool forever, uInt32 deadline,
                     bool* messageArrived, bool* otherSignalled) {
        for (;;) {
            if (TryWait()) return kEventSignalled;
            if (peer && peer->TryWait()) {
                if (otherSignalled) *otherSignalled = true;
                return kEventSignalled;
            }
            const int32 left = Remaining(forever, deadline);
            if (left == 0) return kEventTimedOut;
            switch (platform::WaitEitherEvent(native_, peer ? peer->native_ : nullptr, pumpMessages, left)) {
                case platform::WaitResult::kMessage:
                    if (messageArrived) *messageArrived = true;
                    return kEventSignalled;
                case platform::WaitResult::kTimeout:
                    return kEventTimedOut;
                case platform::WaitResult::kFailed:
                    return kEventFailed;
                default:
                    break;
            }
        }
    }

    std::atomic<int32> waiters_{0};
    std::atomic<uInt32> state_{kUnsignalled};
    platform::NativeEvent* native_ = nullptr;
};
}  // namespace

PlatformEvent* NewNativePlatformEvent() {
    return new (std::nothrow) PlatformEventMSWin;
}

}  // namespace tq::threads
