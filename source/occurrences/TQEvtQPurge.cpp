// The purge helpers: each selects entries for TQEventQueue::Purge.
#include "tqcore/threads.h"

namespace {

struct SpecificEvent {
    TQEventTarget* target;
    const TQEvent* event;
};

bool OfTarget(TQEventTarget* target, TQEvent*, void* arg) {
    return target == arg;
}

bool OfKind(TQEventTarget*, TQEvent* event, void* arg) {
    return event && event->Kind() == *static_cast<const int32*>(arg);
}

bool Specific(TQEventTarget* target, TQEvent* event, void* arg) {
    const auto* want = static_cast<const SpecificEvent*>(arg);
    return (!want->target || target == want->target) && event && event->Matches(want->event);
}

}  // namespace

int32 PurgeEventsForTarget(TQEventQueue* queue, TQEventTarget* target) {
    return queue ? queue->Purge(OfTarget, target) : 0;
}

int32 PurgeEventsOfKind(TQEventQueue* queue, int32 kind) {
    return queue ? queue->Purge(OfKind, &kind) : 0;
}

int32 PurgeSpecificEvent(TQEventQueue* queue, TQEventTarget* target, const TQEvent* eventArg) {
    SpecificEvent want = {target, eventArg};
    return queue ? queue->Purge(Specific, &want) : 0;
}
