// Native threads, their priorities and times, and sleeping.
#pragma once

#include "tqcore/types.h"

namespace tq::platform {

// A thread the platform layer knows: one it started, or an adopted running thread.
struct NativeThread;
typedef uInt32 (*NativeThreadProc)(void* arg);

// Null on failure (the last error is set). The thread runs with the default stack size.
NativeThread* StartThread(NativeThreadProc proc, void* arg);
// A new handle on the calling thread, whose end is still observed; null on failure.
NativeThread* AdoptCurrentThread();
// Waits up to timeoutMs for the thread to end; true when it has ended.
bool JoinThread(NativeThread* t, uInt32 timeoutMs);
bool ThreadEnded(NativeThread* t);
// False when the exit code cannot be read (last error set); *running is true while the thread runs.
bool GetThreadRunning(NativeThread* t, bool* running);
// False when the thread cannot be stopped (last error set).
bool ForceStopThread(NativeThread* t);
// False when the handle cannot be closed (last error set); the thread itself keeps running.
bool CloseThread(NativeThread* t);
uInt32 ThreadId(NativeThread* t);
uInt32 CurrentThreadId();

// Priorities are Win32 values (-15 idle ... 15 time critical) on every platform.
bool SetPriority(NativeThread* t, int32 nativePriority);
bool GetPriority(NativeThread* t, int32* nativePriority);
// Kernel plus user time of the calling thread in 100-nanosecond units.
uInt64 CurrentThreadTime();

void SleepMs(uInt32 ms);
void YieldThread();

}  // namespace tq::platform
