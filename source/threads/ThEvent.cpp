// ThEvent: events with waits, timeouts and message pumping, and the event service.
#include <cstdio>
#include <new>

#include "diagnostics/Report.h"
#include "threads/Services.h"
#include "threads/ThRecords.h"

#define TQ_UNIT "source\\ThEvent"

namespace {

bool Verified(ThEvent ev) {
    if (ev->verifier == tq::threads::kEventVerifier) return true;
    TQ_REPORT(kDbgFatal, "Bad verifier in event.");
    return false;
}

// A timeout with the top bit set waits for ever.
int32 PlatformTimeout(uInt32 timeoutMs) {
    return (timeoutMs & 0x80000000u) ? -1 : int32(timeoutMs);
}

void ReportLatency(tq::threads::PlatformEvent* e) {
    uInt32 count = 0;
    _HRTime total, reserved, min, max;
    e->GetLatencyStats(&count, &total, &reserved, &min, &max);
    if (count == 0) return;
    char text[160];
    std::snprintf(text, sizeof text, "ThEventDestroy:: (ms) avg latency=%.5f; nEvents=%u; min=%.5f; max=%.5f",
                  HRTimeToSeconds(&total) * 1e3 / count, unsigned(count), HRTimeToSeconds(&min) * 1e3,
                  HRTimeToSeconds(&max) * 1e3);
    TQ_REPORT(kDbgNote, text);
}

class ThEvent_Service final : public RefcountedServiceObject_T<ThEvent_Service> {
  public:
    const char* Name() override { return "ThEvent"; }
    void Dependencies(IServiceDependencyList&) override {}
};

}  // namespace

IServiceObject* tq::threads::ThEventService() {
    return ThEvent_Service::Get();
}

TqErr ThEventCreate(ThEvent* ev, int32 reserved, Bool32 initiallySignalled) {
    return ThEventCreateWithCustomSignal(ev, reserved, initiallySignalled, nullptr);
}

TqErr ThEventCreateWithCustomSignal(ThEvent* ev, int32, Bool32 initiallySignalled,
                                    ThEventSignalProc signalProc) {
    if (!ev) return kErrArgument;
    *ev = nullptr;
    auto* rec = new (std::nothrow) ThEventRecord{tq::threads::kEventVerifier, nullptr, signalProc};
    if (!rec) return kErrMemoryFull;
    rec->event = tq::threads::CreatePlatformEvent(initiallySignalled != 0);
    if (!rec->event) {
        delete rec;
        return kErrMemoryFull;
    }
    *ev = rec;
    return kErrNone;
}

int32 ThEventSignal(ThEvent ev) {
    if (!ev || !Verified(ev)) return 0;
    if (ev->signalProc) ev->signalProc(ev);
    return ev->event->Signal();
}

int32 ThEventReset(ThEvent ev) {
    if (!ev || !Verified(ev)) return 0;
    return ev->event->TryWait();
}

TqErr ThEventWait(ThEvent ev) {
    return ThEventWaitWithTimeout(ev, kThWaitForever);
}

TqErr ThEventWaitWithTimeout(ThEvent ev, uInt32 timeoutMs) {
    if (!ev || !Verified(ev)) return kErrArgument;
    switch (ev->event->Wait(PlatformTimeout(timeoutMs))) {
        case tq::threads::kEventSignalled:
            return kErrNone;
        case tq::threads::kEventTimedOut:
            return kErrTimeout;
        case tq::threads::kEventFailed:
            TQ_REPORT(kDbgFatal, "Wait on event failed");
            return kErrArgument;
        default:
            TQ_REPORT(kDbgError, "We were not supposed to retry here");
            return kErrArgument;
    }
}

int32 ThEventMsgWaitMultiple(ThEvent ev, ThEvent other, uInt32 timeoutMs, Bool32 pumpMessages) {
    if (!ev) return 1;
    if (!Verified(ev)) return 0;
    if (other == ev || (other && !Verified(other))) other = nullptr;
    bool message = false, otherSignalled = false;
    const int32 r = ev->event->WaitMultiple(other ? other->event : nullptr, pumpMessages != 0,
                                            PlatformTimeout(timeoutMs), &message, &otherSignalled);
    return r == tq::threads::kEventSignalled && !message && !otherSignalled ? 1 : 0;
}

TqErr ThEventWaitAndPump(ThEvent ev, ThEventPumpProc pump, uInt32 timeoutMs, void* arg) {
    const TqErr pumped = pump ? pump(arg) : kErrNone;
    if (!ev) return pumped;
    if (!Verified(ev)) return kErrArgument;
    return ev->event->WaitWithPump(pump, arg, PlatformTimeout(timeoutMs));
}

void ThEventDestroy(ThEvent ev) {
    if (!ev) {
        TQ_REPORT(kDbgBroken, "Bad ThEvent in ThEventDestroy()");
        return;
    }
    // A record without its verifier is not ours to free: report it and leave it alone.
    if (ev->verifier != tq::threads::kEventVerifier) {
        TQ_REPORT(kDbgBroken, "Bad ThEvent in ThEventDestroy()");
        return;
    }
    ReportLatency(ev->event);
    const TqErr err = tq::threads::DestroyPlatformEvent(ev->event);
    if (err != kErrNone) TQ_REPORT(kDbgBroken, "DestroyPlatformEvent failed with TqErr ", err);
    ev->verifier = 0;
    delete ev;
}
