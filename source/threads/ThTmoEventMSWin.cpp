// Portable code, despite the name: the timeout event of the Windows design, over platform/Event.h.
#include <new>

#include "diagnostics/Report.h"
#include "platform/Event.h"
#include "threads/PlatformMutex.h"
#include "threads/ThTmoEvent.h"
#include "tqcore/clocks.h"

#define TQ_UNIT "source\\ThTmoEventMSWin"

namespace tq::threads {

namespace {
class ThTmoEventMSWin final : public ThTmoEvent {
  public:
    ThTmoEventMSWin(PlatformMutex* guard, platform::NativeEvent* native) : guard_(guard), native_(native) {}

    ~ThTmoEventMSWin() override {
        if (!platform::DeleteEvent(native_))
            TQ_REPORT(kDbgBroken, "CloseHandle() failed in ThTmoEventDestroy()");
        DestroyPlatformMutex(guard_);
    }

    void ChangeTmo(uInt32 target) override {
        {
            PlatformMutexLock lock(guard_);
            if (target == target_) return;
            target_ = target;
        }
        platform::SignalEvent(native_);
    }

    uInt32 Wait() override {
        for (;;) {
            const uInt32 target = Target();
            int32 wait = -1;
            if (target != 0) {
                const int32 left = MillisecCmp(target, MilliSecs());
                if (left < 1) return kTmoWaitTimeout;
                wait = left >= 2 ? left - 1 : left;
            }
            switch (platform::WaitEvent(native_, wait)) {
                case platform::WaitResult::kTimeout:
                    return kTmoWaitTimeout;
                case platform::WaitResult::kFailed:
                    TQ_REPORT(kDbgFatal, "Wait for single object failed");
                    return kTmoWaitFailed;
                default:
                    break;  // the target changed: wait for the new one
            }
        }
    }

  private:
    uInt32 Target() {
        PlatformMutexLock lock(guard_);
        return target_;
    }

    PlatformMutex* guard_;
    platform::NativeEvent* native_;
    uInt32 target_ = 0;
};
}  // namespace

ThTmoEvent* NewNativeTmoEvent(bool initiallySignalled) {
    PlatformMutex* guard = CreatePlatformMutex();
    platform::NativeEvent* native = guard ? platform::NewEvent(initiallySignalled) : nullptr;
    ThTmoEvent* ev = native ? new (std::nothrow) ThTmoEventMSWin(guard, native) : nullptr;
    if (ev) return ev;
    platform::DeleteEvent(native);
    DestroyPlatformMutex(guard);
    return nullptr;
}

}  // namespace tq::threads
