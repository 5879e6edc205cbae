// tqcore/threads.h - events, mutexes, reader/writer mutexes, atomics, sleeping, threads, priorities and
// thread-local storage. Every function may be called from any thread. Records are opaque and carry a
// verifier checked on every call; misuse is reported through a debug stream, never by crashing.
#pragma once

#include "tqcore/types.h"

typedef struct ThEventRecord* ThEvent;
typedef struct ThMutexRecord* ThMutex;
typedef struct ThReaderWriterMutexRecord* ThReaderWriterMutex;
typedef struct ThThreadRecord* ThThread;

// Called with the event before it is signalled.
typedef void (*ThEventSignalProc)(ThEvent ev);
// Gives the host's message loop a turn; its result is returned when there is nothing to wait on.
typedef TqErr (*ThEventPumpProc)(void* arg);
// A thread's body; its result becomes the thread's exit code.
typedef int32 (*ThThreadProc)(void* arg);
// Told about every priority change made through ThThreadSetPriority.
typedef void (*ThThreadPrioritySetProc)(ThThread th, void* nativeHandle, uInt32 threadId, int32 level);

// Priority levels.
enum TQ_ENUM_TYPE(int32) {
    kThPriorityBackground = 0,
    kThPriorityNormal = 1,
    kThPriorityHigh = 2,
    kThPriorityVeryHigh = 3,
    kThPriorityTimeCritical = 4,
    kThNumPriorities = 5,
};

// Slots in the process-wide thread table; ThThreadGetIndex answers this for a bad record.
enum TQ_ENUM_TYPE(uInt32) { kThMaxThreads = 6120 };
// A timeout with the top bit set waits for ever. (Constants, not enumerators: a C enumerator is an int.)
static const uInt32 kThWaitForever = 0xFFFFFFFFu;
// ThLocalStorageAllocateKey's failure value.
static const uInt32 kThNoLocalStorageKey = 0xFFFFFFFFu;

TQ_EXTERN_C_BEGIN

// Atomics, all sequentially consistent. Inc/Dec return the new value; swaps return the old one;
// ThSwapIfSame* return 1 when *p held `expected` and now holds `newValue`, else 0.
TQ_API int32 ThAtomicInc(volatile int32* p);
TQ_API int32 ThAtomicDec(volatile int32* p);
TQ_API void* ThAtomicSwapPtr(void* volatile* p, void* v);
TQ_API Bool32 ThSwapIfSame(volatile int32* p, int32 newValue, int32 expected);
TQ_API Bool32 ThSwapIfSamePtr(void* volatile* p, void* newValue, void* expected);
// Under `mutex` (which may be null for no lock): exchanges *p with v and returns the old value.
TQ_API int32 ThAtomicSwap(int32* p, int32 v, ThMutex mutex);
// Under `mutex`: copies 8 bytes from a to b when direction is non-zero, else from b to a.
TQ_API void Th8ByteAtomicWrtRd(void* a, void* b, int32 direction, ThMutex mutex);

// Events are auto-reset: a signal releases one waiter, or stays pending (not counted) until one arrives.
// Create: *ev is null first; 0, or kErrMemoryFull. The caller owns the event (ThEventDestroy).
TQ_API TqErr ThEventCreate(ThEvent* ev, int32 reserved, Bool32 initiallySignalled);
TQ_API TqErr ThEventCreateWithCustomSignal(ThEvent* ev, int32 reserved, Bool32 initiallySignalled,
                                           ThEventSignalProc signalProc);
// 1 when a waiter was woken, else 0.
TQ_API int32 ThEventSignal(ThEvent ev);
// Consumes a pending signal: 1 when there was one, else 0.
TQ_API int32 ThEventReset(ThEvent ev);
// 0 signalled, kErrTimeout, or kErrArgument for a null or bad event.
TQ_API TqErr ThEventWait(ThEvent ev);
TQ_API TqErr ThEventWaitWithTimeout(ThEvent ev, uInt32 timeoutMs);
// Waits for ev or other (ignored when null or ev); 1 only when ev itself was signalled, else 0.
TQ_API int32 ThEventMsgWaitMultiple(ThEvent ev, ThEvent other, uInt32 timeoutMs, Bool32 pumpMessages);
// Calls pump(arg) once and returns its result for a null event; waiting while pumping is not supported
// here, so a real event gives 2.
TQ_API TqErr ThEventWaitAndPump(ThEvent ev, ThEventPumpProc pump, uInt32 timeoutMs, void* arg);
TQ_API void ThEventDestroy(ThEvent ev);

// Mutexes are not recursive; ownership passes straight to one waiter on release.
// Create: 0 and the mutex (caller owns it, ThMutexDestroy), or kErrMemoryFull and null. The name is unused.
TQ_API TqErr ThMutexCreate(ThMutex* mutex, const char* name);
TQ_API void ThMutexAcquire(ThMutex m);
TQ_API void ThMutexRelease(ThMutex m);
TQ_API void ThMutexDestroy(ThMutex m);

// Reader/writer mutexes: not recursive; a read lock cannot be upgraded.
// Create: 0, kErrArgument for a null rw, or kErrMemoryFull (storing null).
TQ_API TqErr ThReaderWriterMutexCreate(ThReaderWriterMutex* rw);
TQ_API void ThReaderWriterMutexAcquireReadLock(ThReaderWriterMutex rw);
TQ_API void ThReaderWriterMutexAcquireWriteLock(ThReaderWriterMutex rw);
TQ_API void ThReaderWriterMutexReleaseReadLock(ThReaderWriterMutex rw);
TQ_API void ThReaderWriterMutexReleaseWriteLock(ThReaderWriterMutex rw);
TQ_API void ThReaderWriterMutexDestroy(ThReaderWriterMutex rw);

// Sleeping. ThWaitTill returns `now` at once when target is not after it (wrap-around comparison of
// millisecond clock values), else sleeps until about `target` and returns the clock's value then.
TQ_API void ThSleep(uInt32 ms);
TQ_API void ThYield(void);
TQ_API uInt32 ThWaitTill(uInt32 target, uInt32 now);

// Threads. The thread service must be running (it owns the table). Create: 0 and the record (caller owns
// it, ThThreadDestroy), or kErrMemoryFull and null when memory, the system or the table is exhausted.
TQ_API void AssimilateStartUpThread(void);
TQ_API Bool32 IsStartUpThread(void);
TQ_API TqErr ThThreadCreate(ThThread* th, ThThreadProc proc, void* arg, const char* name);
TQ_API TqErr ThPseudoThreadCreate(ThThread* th);
// Waits up to ten seconds for a started thread to end before stopping it; frees the record.
TQ_API void ThThreadDestroy(ThThread th);
TQ_API ThThread ThThreadGetId(void);
TQ_API uInt32 ThThreadGetIndex(ThThread th);
TQ_API Bool32 ThThreadActive(ThThread th);
// Pointers into the record (native handle and thread id), or null.
TQ_API void ThGetPlatformThread(ThThread th, void*** handle, uInt32** id);
TQ_API void ThSetThInfo(ThThread th, void* pointer, int32 integer);
TQ_API int32 ThGetThInfo(ThThread th, void** pointer);
TQ_API int32 ThThreadStackLeft(void);
// Kernel plus user time of the calling thread in 100-ns units: out[0] high half, out[1] low half.
TQ_API void ThGetThreadTime(uInt32 out[2]);
TQ_API int32 ThNumberOfProcessors(void);

// Native thread-local storage, results passed through (Set and Free give non-zero on success).
TQ_API uInt32 ThLocalStorageAllocateKey(void);
TQ_API Bool32 ThLocalStorageFreeKey(uInt32 key);
TQ_API void* ThLocalStorageGetValue(uInt32 key);
TQ_API Bool32 ThLocalStorageSetValue(uInt32 key, void* value);

// Priorities by level (kThPriority...). Set always returns 0; misuse is reported.
TQ_API TqErr ThThreadSetPriority(ThThread th, int32 level);
TQ_API int32 ThThreadGetPriority(ThThread th);
TQ_API void ThThreadGetNativePriorityInfo(int32* bg, int32* normal, int32* high, int32* vhigh, int32* tcrit);
// Five flags: whether each level is distinct from the one below it.
TQ_API void ThThreadGetPrioInfo(uInt8 out[5]);
// 1 when a procedure is already installed or proc is null, else 0.
TQ_API int32 ThSetThreadPrioritySetProc(ThThreadPrioritySetProc proc);
// 0 when proc was the installed one (now cleared), else 1.
TQ_API int32 ThClearThreadPrioritySetProc(ThThreadPrioritySetProc proc);

// Service accessors for a host that starts these services itself (Init/Uninit, or a registry of its own).
// Each creates its service on first call and takes no lock. ProtectedAtomicOperations is a base service.
TQ_API IServiceObject* ProtectedAtomicOperationsService(void);
// Occurrences; depends on HardWaitBehavior, ThMutex and ThThread.
TQ_API IServiceObject* OccurrenceManagerService(void);
// The hard-wait behaviour; depends on ConfigManager and ConfigCoreTypes.
TQ_API IServiceObject* HardWaitBehaviorService(void);

TQ_EXTERN_C_END
