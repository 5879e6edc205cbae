// The event-log calls, kept for their callers: no event log exists here, so they record nothing.
#include "tqcore/core.h"
#include "tqcore/diagnostics.h"

// No event log exists on this platform: the calls keep their callers working and record nothing.

TqErr InitEventLoggingMgr(void) {
    return kErrNone;
}
void UnInitEventLoggingMgr(void) {}
void EventLoggingEnable(Bool32) {}
void EventLoggingConfigure(uInt32, uInt32) {}
void EventLoggingSetFlags(uInt32, uInt32) {}
void EventLoggingClearLog(void) {}
void EventLoggingEnumerateThreads(void) {}
void EventLoggingLogUserBuffer(const void*, int32) {}
void EventLoggingLogUserEvent(uInt32, uInt32) {}

int32 EventLoggingGetFlags(uInt32* flags, uInt32* mask) {
    if (flags) *flags = 0;
    if (mask) *mask = 0;
    return 0;
}

int32 EventLoggingEnumLogEntry(int32, uInt32* o1, uInt32* o2, uInt32* o3, uInt32* o4, uInt32* o5,
                               uInt32** o6) {
    for (uInt32* out : {o1, o2, o3, o4, o5})
        if (out) *out = 0;
    if (o6 && *o6) **o6 = 0;
    return 0;
}
