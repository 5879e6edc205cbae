// TQEvent: the reference-counted event record the queue carries.
#include "tqcore/threads.h"

const PKGuidType& TQEvent::ClassID() {
    static constexpr PKGuidType kId = {
        0x44800ca1, 0x9918, 0x46e4, {0xb5, 0x6a, 0x3a, 0x64, 0x77, 0xbd, 0x47, 0x13}};
    return kId;
}

TQEventCoalescePolicy::~TQEventCoalescePolicy() = default;

int32 KeepExistingEventPolicy::Resolve(TQEventTarget*, TQEvent*) {
    return kTQKeepQueuedEvent;
}

int32 ReplaceExistingEventPolicy::Resolve(TQEventTarget*, TQEvent*) {
    return kTQReplaceQueuedEvent;
}

int32 DropBothEventsPolicy::Resolve(TQEventTarget*, TQEvent*) {
    return kTQDropBothEvents;
}
