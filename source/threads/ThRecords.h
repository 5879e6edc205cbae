// Layouts of the opaque records behind the exported thread-primitive handles. Each starts or ends with its
// four-character verifier, checked on every call.
#pragma once

#include <atomic>

#include "threads/PlatformEvent.h"
#include "tqcore/threads.h"

namespace tq::threads {
inline constexpr int32 kEventVerifier = TQFourCC("Evnt");
inline constexpr int32 kMutexVerifier = TQFourCC("Mutx");
inline constexpr int32 kThreadVerifier = TQFourCC("Thrd");
inline constexpr int32 kTmoEventVerifier = TQFourCC("TmEv");
}  // namespace tq::threads

struct ThEventRecord {
    int32 verifier;
    tq::threads::PlatformEvent* event;
    ThEventSignalProc signalProc;
};

struct ThMutexRecord {
    // -1 when free; otherwise the number of threads waiting behind the owner.
    std::atomic<int32> counter;
    ThEvent event;
    int32 verifier;
};

namespace tq::platform {
struct NativeThread;
}

struct ThThreadRecord {
    int32 verifier;
    tq::platform::NativeThread* handle;
    uInt32 index;
    void* infoPointer;
    int32 infoInteger;
    uInt32 pseudo;
    uInt32 threadId;
    ThThreadProc proc;
    void* arg;
};
static_assert(sizeof(void*) != 8 || sizeof(ThThreadRecord) == 64, "thread records are 64 bytes");
