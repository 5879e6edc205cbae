// ThTmoEvent: events whose timeout can be changed while a thread waits on them.
#include "threads/ThTmoEvent.h"

#include "diagnostics/Report.h"
#include "threads/ThRecords.h"

#define TQ_UNIT "source\\ThTmoEvent"

namespace tq::threads {

namespace {
bool Verified(ThTmoEvent* ev, DebugOutputLevel level, const char* message) {
    if (ev && ev->verifier == kTmoEventVerifier) return true;
    TQ_REPORT(level, message);
    return false;
}
}  // namespace

TqErr ThTmoEventCreate(ThTmoEvent** ev, bool initiallySignalled) {
    if (!ev) return kErrArgument;
    *ev = NewNativeTmoEvent(initiallySignalled);
    if (!*ev) return kErrMemoryFull;
    (*ev)->verifier = kTmoEventVerifier;
    return kErrNone;
}

void ThTmoEventChangeTmo(ThTmoEvent* ev, uInt32 target) {
    if (Verified(ev, kDbgFatal, "Bad ThTmoEvent in ThTmoEventChangeTmo()")) ev->ChangeTmo(target);
}

uInt32 ThTmoEventWait(ThTmoEvent* ev) {
    return Verified(ev, kDbgFatal, "Bad ThTmoEvent in ThTmoEventWait()") ? ev->Wait() : kTmoWaitFailed;
}

void ThTmoEventDestroy(ThTmoEvent* ev) {
    if (!ev) return;
    if (!Verified(ev, kDbgBroken, "Bad ThTmoEvent in ThTmoEventDestroy()")) return;
    ev->verifier = 0;
    delete ev;
}

}  // namespace tq::threads
